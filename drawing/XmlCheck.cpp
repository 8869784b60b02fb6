#include "XmlCheck.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string shown(std::string_view name) { return printableForMessage(name, 40); }

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Walks the text once; the first fault ends the walk.
class Scan {
public:
    explicit Scan(std::string_view text) : text(text) {}

    std::string run() {
        // A UTF-8 byte order mark before the declaration.
        if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
        while (problem.empty() && pos < text.size()) {
            if (text[pos] != '<')
                content();
            else
                markup();
        }
        if (!problem.empty()) return problem;
        if (!open.empty()) return fault(text.size(), "<" + shown(open.back()) + "> is not closed");
        if (!rootClosed) return fault(text.size(), "no element");
        return {};
    }

private:
    std::string fault(std::size_t at, const std::string& what) {
        problem = "not well-formed XML at " + xmlPosition(text, at) + ": " + what;
        return problem;
    }

    bool startsWith(std::string_view prefix) const { return text.substr(pos, prefix.size()) == prefix; }

    // Moves past `end`, found from pos + skip; false (with the fault) when it is missing.
    bool skipPast(std::string_view end, std::size_t skip, const char* what) {
        const std::size_t found = text.find(end, pos + skip);
        if (found == std::string_view::npos) return fault(pos, std::string(what) + " is not closed"), false;
        pos = found + end.size();
        return true;
    }

    void content() {
        const std::size_t next = std::min(text.find('<', pos), text.size());
        if (open.empty()) {
            const auto text_ = text.substr(pos, next - pos);
            const auto bad = std::find_if_not(text_.begin(), text_.end(), isXmlSpace);
            if (bad != text_.end())
                return void(fault(pos + (bad - text_.begin()), rootClosed ? "text after the root element"
                                                                          : "text before the root element"));
        }
        pos = next;
    }

    std::string_view name() {
        const std::size_t from = pos;
        while (pos < text.size() && !isXmlSpace(text[pos]) && text[pos] != '/' && text[pos] != '>' &&
               text[pos] != '=' && text[pos] != '<')
            ++pos;
        return text.substr(from, pos - from);
    }

    void skipSpace() {
        while (pos < text.size() && isXmlSpace(text[pos])) ++pos;
    }

    void markup() {
        if (startsWith("<!--")) return void(skipPast("-->", 4, "a comment"));
        if (startsWith("<?")) return void(skipPast("?>", 2, "a processing instruction"));
        if (startsWith("<![CDATA[")) {
            if (open.empty()) return void(fault(pos, "character data outside the root element"));
            return void(skipPast("]]>", 9, "a CDATA section"));
        }
        if (startsWith("<!")) return declaration();
        if (startsWith("</")) return closingTag();
        openingTag();
    }

    // <!DOCTYPE ...>, with an internal subset in brackets and quoted strings.
    void declaration() {
        const std::size_t at = pos;
        if (!open.empty() || rootClosed)
            return void(fault(at, "a declaration inside or after the root element"));
        int brackets = 0;
        for (pos += 2; pos < text.size(); ++pos) {
            const char c = text[pos];
            if (c == '"' || c == '\'') {
                const std::size_t end = text.find(c, pos + 1);
                if (end == std::string_view::npos) break;
                pos = end;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                ++pos;
                return;
            }
        }
        fault(at, "a declaration is not closed");
    }

    void closingTag() {
        const std::size_t at = pos;
        pos += 2;
        const std::string_view closed = name();
        skipSpace();
        if (pos >= text.size() || text[pos] != '>')
            return void(fault(at, "</" + shown(closed) + " is not closed"));
        ++pos;
        if (open.empty()) return void(fault(at, "</" + shown(closed) + "> closes no element"));
        if (closed != open.back())
            return void(fault(at, "</" + shown(closed) + "> does not close <" + shown(open.back()) + ">"));
        open.pop_back();
        if (open.empty()) rootClosed = true;
    }

    void openingTag() {
        const std::size_t at = pos;
        ++pos;
        const std::string_view element = name();
        if (element.empty()) return void(fault(at, "a \"<\" that starts no tag"));
        if (rootClosed) return void(fault(at, "a second root element <" + shown(element) + ">"));
        if (++elements > maxXmlElements)
            return void(problem = "more than " + std::to_string(maxXmlElements) + " elements");
        if (open.size() >= maxXmlDepth)
            return void(problem = "elements nested more than " + std::to_string(maxXmlDepth) + " deep");
        for (;;) {
            skipSpace();
            if (pos >= text.size()) return void(fault(at, "<" + shown(element) + " is not closed"));
            if (text[pos] == '>') {
                ++pos;
                open.push_back(element);
                return;
            }
            if (startsWith("/>")) {
                pos += 2;
                if (open.empty()) rootClosed = true;
                return;
            }
            if (!attribute(element)) return;
        }
    }

    // name = "value" or name = 'value'
    bool attribute(std::string_view element) {
        const std::size_t at = pos;
        const std::string_view attributeName = name();
        skipSpace();
        if (attributeName.empty() || pos >= text.size() || text[pos] != '=')
            return fault(at, "an attribute of <" + shown(element) + "> without \"=\""), false;
        ++pos;
        skipSpace();
        if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\''))
            return fault(at, "an attribute value without quotes"), false;
        const std::size_t end = text.find(text[pos], pos + 1);
        if (end == std::string_view::npos) return fault(at, "an attribute value is not closed"), false;
        pos = end + 1;
        if (++attributes > maxXmlAttributes)
            return problem = "more than " + std::to_string(maxXmlAttributes) + " attributes", false;
        return true;
    }

    const std::string_view text;
    std::size_t pos = 0;
    std::vector<std::string_view> open;
    bool rootClosed = false;
    std::size_t elements = 0;
    std::size_t attributes = 0;
    std::string problem;
};

}  // namespace

std::string checkXml(std::string_view text) { return Scan(text).run(); }

std::string xmlPosition(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart = before.rfind('\n');
    const std::size_t column = offset - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string quotedForMessage(std::string_view text, std::size_t maxShown) {
    return '"' + printableForMessage(text, maxShown) + '"';
}

std::string printableForMessage(std::string_view text, std::size_t maxShown) {
    std::string shown;
    for (std::size_t i = 0; i < text.size() && i < maxShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        shown += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    }
    if (text.size() > maxShown) shown += "...";
    return shown;
}
