#include <zlib.h>

#include <algorithm>
#include <climits>

#include "Gunzip.h"

// zlib's inflate, told by its window bits (15 + 16) to read a gzip header and
// trailer, one member after the other.

namespace {

struct Inflate {
    z_stream stream{};
    bool started = false;
    ~Inflate() {
        if (started) inflateEnd(&stream);
    }
};

}  // namespace

std::string gunzip(std::string_view packed, std::size_t maxSize, std::string& out) {
    Inflate inflater;
    if (inflateInit2(&inflater.stream, 15 + 16) != Z_OK) return "the compressed drawing cannot be unpacked";
    inflater.started = true;
    z_stream& z = inflater.stream;
    out.clear();
    std::size_t used = 0;
    const unsigned char* next = reinterpret_cast<const unsigned char*>(packed.data());
    std::size_t left = packed.size();
    char buffer[1 << 16];
    for (;;) {
        const std::size_t inNow = std::min<std::size_t>(left, UINT_MAX);
        z.next_in = const_cast<unsigned char*>(next);
        z.avail_in = static_cast<unsigned>(inNow);
        z.next_out = reinterpret_cast<unsigned char*>(buffer);
        z.avail_out = sizeof buffer;
        const int status = inflate(&z, Z_NO_FLUSH);
        const std::size_t consumed = inNow - z.avail_in;
        next += consumed;
        left -= consumed;
        const std::size_t produced = sizeof buffer - z.avail_out;
        if (produced > maxSize - used)
            return "the compressed drawing unpacks to more than " +
                   (maxSize % (1 << 20) == 0 ? std::to_string(maxSize >> 20) + " MiB"
                                             : std::to_string(maxSize) + " bytes");
        out.append(buffer, produced);
        used += produced;
        if (status == Z_STREAM_END) {
            // Another member may follow; anything else after the data is not gzip.
            if (left == 0) return {};
            if (!isGzip({reinterpret_cast<const char*>(next), left}))
                return "the compressed drawing has bytes after its gzip data";
            inflateReset(&z);
            continue;
        }
        if (status == Z_BUF_ERROR && left == 0) return "the compressed drawing is cut short";
        if (status != Z_OK && status != Z_BUF_ERROR)
            return std::string("the compressed drawing cannot be unpacked: ") + (z.msg ? z.msg : "zlib error");
    }
}
