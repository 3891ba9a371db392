// The installed families that stand in for the Windows faces a game can choose.
#include <strings.h>

#include <iterator>
#include <string>

#include "platform/text/cp932.h"
#include "platform/text/glyphs.h"

namespace platform::text {
namespace {

// Japanese faces: fixed-pitch gothic and mincho, and their proportional ("P") twins.
// The "S" faces of the HG family are proportional in kana only; the proportional
// face is the nearer stand-in.
constexpr const char* kGothic = "IPAGothic,IPAexGothic,Noto Sans Mono CJK JP";
constexpr const char* kPGothic = "IPAPGothic,IPAexGothic,Noto Sans CJK JP";
constexpr const char* kMincho = "IPAMincho,IPAexMincho,Noto Serif CJK JP";
constexpr const char* kPMincho = "IPAPMincho,IPAexMincho,Noto Serif CJK JP";
// Latin faces: the metric-compatible Debian faces first, so text keeps its width.
constexpr const char* kSans = "Liberation Sans,Arimo,DejaVu Sans";
constexpr const char* kNarrow = "Liberation Sans Narrow,DejaVu Sans Condensed";
constexpr const char* kSerif = "Liberation Serif,Tinos,DejaVu Serif";
constexpr const char* kMono = "Liberation Mono,Cousine,DejaVu Sans Mono";

struct Alias {
    const char8_t* windowsFace;
    const char* families;
};

// Every face of the game's list. Korean and Chinese faces draw the game's Japanese
// text with the Japanese face of the same style; symbol and script faces have no
// stand-in and draw as plain sans.
constexpr Alias kAliases[] = {
    {u8"System", kSans},
    {u8"Terminal", kMono},
    {u8"FixedSys", kMono},
    {u8"Roman", kSerif},
    {u8"Script", kSans},
    {u8"Modern", kMono},
    {u8"Small Fonts", kSans},
    {u8"MS Serif", kSerif},
    {u8"WST_Czec", kSans},
    {u8"WST_Engl", kSans},
    {u8"WST_Fren", kSans},
    {u8"WST_Germ", kSans},
    {u8"WST_Ital", kSans},
    {u8"WST_Span", kSans},
    {u8"WST_Swed", kSans},
    {u8"Courier", kMono},
    {u8"MS Sans Serif", kSans},
    {u8"Marlett", kSans},
    {u8"Arial", kSans},
    {u8"Arial CE", kSans},
    {u8"Arial CYR", kSans},
    {u8"Arial Greek", kSans},
    {u8"Arial TUR", kSans},
    {u8"Arial Baltic", kSans},
    {u8"Courier New", kMono},
    {u8"Courier New CE", kMono},
    {u8"Courier New CYR", kMono},
    {u8"Courier New Greek", kMono},
    {u8"Courier New TUR", kMono},
    {u8"Courier New Baltic", kMono},
    {u8"Lucida Console", kMono},
    {u8"Lucida Sans Unicode", kSans},
    {u8"Times New Roman", kSerif},
    {u8"Times New Roman CE", kSerif},
    {u8"Times New Roman CYR", kSerif},
    {u8"Times New Roman Greek", kSerif},
    {u8"Times New Roman TUR", kSerif},
    {u8"Times New Roman Baltic", kSerif},
    {u8"Wingdings", kSans},
    {u8"Symbol", kSans},
    {u8"Verdana", kSans},
    {u8"Arial Black", kSans},
    {u8"Comic Sans MS", kSans},
    {u8"Impact", kSans},
    {u8"Georgia", kSerif},
    {u8"Franklin Gothic Medium", kSans},
    {u8"Palatino Linotype", kSerif},
    {u8"Tahoma", kSans},
    {u8"Trebuchet MS", kSans},
    {u8"Webdings", kSans},
    {u8"Estrangelo Edessa", kSerif},
    {u8"Gautami", kSans},
    {u8"Latha", kSans},
    {u8"Mangal", kSans},
    {u8"MV Boli", kSans},
    {u8"Raavi", kSans},
    {u8"Shruti", kSans},
    {u8"Tunga", kSans},
    {u8"Sylfaen", kSerif},
    {u8"ＭＳ ゴシック", kGothic},
    {u8"ＭＳ Ｐゴシック", kPGothic},
    {u8"MS UI Gothic", kPGothic},
    {u8"ＭＳ 明朝", kMincho},
    {u8"ＭＳ Ｐ明朝", kPMincho},
    {u8"Microsoft Sans Serif", kSans},
    {u8"Gulim", kPGothic},
    {u8"GulimChe", kGothic},
    {u8"Dotum", kPGothic},
    {u8"DotumChe", kGothic},
    {u8"Batang", kPMincho},
    {u8"BatangChe", kMincho},
    {u8"Gungsuh", kPMincho},
    {u8"GungsuhChe", kMincho},
    {u8"SimSun", kPMincho},
    {u8"NSimSun", kMincho},
    {u8"SimSun-PUA", kPMincho},
    {u8"SimHei", kPGothic},
    {u8"MingLiU", kMincho},
    {u8"PMingLiU", kPMincho},
    {u8"Arial Narrow", kNarrow},
    {u8"Book Antiqua", kSerif},
    {u8"Bookman Old Style", kSerif},
    {u8"Century", kSerif},
    {u8"Century Gothic", kSans},
    {u8"Garamond", kSerif},
    {u8"MS Outlook", kSans},
    {u8"HGｺﾞｼｯｸE", kGothic},
    {u8"HGPｺﾞｼｯｸE", kPGothic},
    {u8"HGSｺﾞｼｯｸE", kPGothic},
    {u8"HG丸ｺﾞｼｯｸM-PRO", kGothic},
    {u8"HG創英角ｺﾞｼｯｸUB", kGothic},
    {u8"HGP創英角ｺﾞｼｯｸUB", kPGothic},
    {u8"HGS創英角ｺﾞｼｯｸUB", kPGothic},
    {u8"HG創英角ﾎﾟｯﾌﾟ体", kGothic},
    {u8"HGP創英角ﾎﾟｯﾌﾟ体", kPGothic},
    {u8"HGS創英角ﾎﾟｯﾌﾟ体", kPGothic},
    {u8"HG正楷書体-PRO", kMincho},
    {u8"InMusicSym", kSans},
    {u8"Kartika", kSans},
    {u8"Vrinda", kSans},
    {u8"メイリオ", kPGothic},
    {u8"MT Extra", kSans},
    {u8"HGｺﾞｼｯｸM", kGothic},
    {u8"HGPｺﾞｼｯｸM", kPGothic},
    {u8"HGSｺﾞｼｯｸM", kPGothic},
    {u8"HG行書体", kMincho},
    {u8"HGP行書体", kPMincho},
    {u8"HGS行書体", kPMincho},
    {u8"HG教科書体", kMincho},
    {u8"HGP教科書体", kPMincho},
    {u8"HGS教科書体", kPMincho},
    {u8"HG明朝B", kMincho},
    {u8"HGP明朝B", kPMincho},
    {u8"HGS明朝B", kPMincho},
    {u8"HG明朝E", kMincho},
    {u8"HGP明朝E", kPMincho},
    {u8"HGS明朝E", kPMincho},
    {u8"HG創英ﾌﾟﾚｾﾞﾝｽEB", kMincho},
    {u8"HGP創英ﾌﾟﾚｾﾞﾝｽEB", kPMincho},
    {u8"HGS創英ﾌﾟﾚｾﾞﾝｽEB", kPMincho},
    {u8"OCRB", kMono},
    {u8"Sydnie", kSans},
};
static_assert(std::size(kAliases) == 122, "one stand-in for every face of the game's list");

}  // namespace

const char* FaceFamilies(std::string_view faceSjis, bool* known) {
    const std::string utf8 = SjisToUtf8(faceSjis);
    for (const Alias& a : kAliases) {
        // Windows matches face names without regard to the case of Latin letters.
        if (strcasecmp(utf8.c_str(), reinterpret_cast<const char*>(a.windowsFace)) == 0) {
            if (known) *known = true;
            return a.families;
        }
    }
    if (known) *known = false;
    return kGothic;
}

}  // namespace platform::text
