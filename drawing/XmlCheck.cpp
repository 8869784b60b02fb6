#include "XmlCheck.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string>
#include <utility>
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
        if (!references(pos, next)) return;
        pos = next;
    }

    // Every "&" in [from, to) begins a character reference to a character
    // XML allows, or a reference to an entity that is predefined or declared
    // in the document type; false (with the fault) otherwise.
    bool references(std::size_t from, std::size_t to) {
        // Searched within [from, to) only: a text of many values stays one pass.
        const std::string_view part = text.substr(from, to - from);
        for (std::size_t i = part.find('&'); i != std::string_view::npos; i = part.find('&', i + 1)) {
            const std::size_t at = from + i, semicolon = part.find(';', i);
            const std::string_view reference = part.substr(i + 1, std::min(semicolon, part.size()) - i - 1);
            if (semicolon == std::string_view::npos || reference.empty() ||
                std::any_of(reference.begin(), reference.end(), [](char c) { return isXmlSpace(c) || c == '&'; }))
                return fault(at, "an \"&\" that begins no reference (write &amp;)"), false;
            if (reference.front() == '#') {
                if (!allowedCharacter(reference.substr(1)))
                    return fault(at, "&" + shown(reference) + "; is no character XML allows"), false;
                continue;
            }
            static constexpr std::string_view predefined[] = {"amp", "lt", "gt", "quot", "apos"};
            if (std::find(std::begin(predefined), std::end(predefined), reference) == std::end(predefined) &&
                !std::binary_search(entities.begin(), entities.end(), reference))
                return fault(at, "the entity &" + shown(reference) + "; is not defined"), false;
        }
        return true;
    }

    // "N" or "xH" of a character reference: a character XML allows.
    static bool allowedCharacter(std::string_view digits) {
        const bool hex = !digits.empty() && digits.front() == 'x';
        if (hex) digits.remove_prefix(1);
        unsigned long code = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return false;
        return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
               (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
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
            } else if (c == '<' && brackets > 0 && text.substr(pos, 8) == "<!ENTITY") {
                // A general entity's name; a parameter entity ("%") is never referred to from content.
                pos += 8;
                skipSpace();
                const std::string_view entity = name();
                if (!entity.empty() && entity.front() != '%') entities.push_back(entity);
                --pos;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                ++pos;
                std::sort(entities.begin(), entities.end());
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
        names.clear();
        for (;;) {
            skipSpace();
            if (pos >= text.size()) return void(fault(at, "<" + shown(element) + " is not closed"));
            if (text[pos] == '>' || startsWith("/>")) {
                if (!attributesOnce(element)) return;
                if (text[pos] == '>') {
                    ++pos;
                    open.push_back(element);
                } else {
                    pos += 2;
                    if (open.empty()) rootClosed = true;
                }
                return;
            }
            if (!attribute(element)) return;
        }
    }

    // No attribute of the tag just read is given twice; false (with the fault
    // at the second) otherwise. Sorted, so that many attributes cost little.
    bool attributesOnce(std::string_view element) {
        std::sort(names.begin(), names.end());
        const std::pair<std::string_view, std::size_t>* repeated = nullptr;
        for (std::size_t i = 1; i < names.size(); ++i)
            if (names[i].first == names[i - 1].first && (!repeated || names[i].second < repeated->second))
                repeated = &names[i];
        if (!repeated) return true;
        return fault(repeated->second,
                     "the attribute " + shown(repeated->first) + " of <" + shown(element) + "> is repeated"),
               false;
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
        if (const std::size_t less = text.substr(pos, end - pos).find('<'); less != std::string_view::npos)
            return fault(pos + less, "a \"<\" in the value of the attribute " + shown(attributeName)), false;
        if (!references(pos + 1, end)) return false;
        names.emplace_back(attributeName, at);
        pos = end + 1;
        if (++attributes > maxXmlAttributes)
            return problem = "more than " + std::to_string(maxXmlAttributes) + " attributes", false;
        return true;
    }

    const std::string_view text;
    std::size_t pos = 0;
    std::vector<std::string_view> open;
    // The general entities the document type declares.
    std::vector<std::string_view> entities;
    // The attributes of the tag being read, with where each begins.
    std::vector<std::pair<std::string_view, std::size_t>> names;
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
