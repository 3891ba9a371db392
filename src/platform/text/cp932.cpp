#include "platform/text/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace platform::text {
namespace {

// "CP932", not "SHIFT_JIS": the two differ on several characters (the wave dash,
// the NEC and IBM extensions) and the game's files are code page 932.
constexpr const char* kSjis = "CP932";
constexpr const char* kUtf8 = "UTF-8";

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of in; with lossy set, an unconvertible byte becomes '?'.
    bool Run(std::string_view in, std::string& out, bool lossy) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string result;
        std::vector<char> buf(in.size() * 4 + 16);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buf.data();
            size_t dstLeft = buf.size();
            const size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            result.append(buf.data(), static_cast<size_t>(dst - buf.data()));
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                if (!lossy) return false;
                result.push_back('?');
                ++src;
                --srcLeft;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        out = std::move(result);
        return true;
    }

private:
    iconv_t cd_;
};

bool Convert(const char* to, const char* from, std::string_view in, std::string& out,
             bool lossy) {
    // One converter per thread and direction: iconv descriptors keep shift state.
    thread_local Converter toUtf8(kUtf8, kSjis);
    thread_local Converter toSjis(kSjis, kUtf8);
    Converter& c = (to == kUtf8) ? toUtf8 : toSjis;
    (void)from;
    return c.Run(in, out, lossy);
}

}  // namespace

bool TrySjisToUtf8(std::string_view sjis, std::string& out) {
    return Convert(kUtf8, kSjis, sjis, out, false);
}
bool TryUtf8ToSjis(std::string_view utf8, std::string& out) {
    return Convert(kSjis, kUtf8, utf8, out, false);
}
std::string SjisToUtf8(std::string_view sjis) {
    std::string out;
    Convert(kUtf8, kSjis, sjis, out, true);
    return out;
}
std::string Utf8ToSjis(std::string_view utf8) {
    std::string out;
    Convert(kSjis, kUtf8, utf8, out, true);
    return out;
}

}  // namespace platform::text
