// The sample game project of this player: every file of a small, complete project (data,
// pictures, sounds, music, settings and the user's boot choice), made by our own writers
// so that no byte comes from anywhere else.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "media/draw/dd_effect_blit.h"
#include "media/draw/dd_pixels.h"

namespace sample {

// What the sample holds, for the tests that load it back.
inline constexpr const char* kTitle = "レンフォールドの小さな冒険";
inline constexpr const char* kHeroName = "主人公";
inline constexpr const char* kEnemyName = "てくてく";
// Entries of the common palette, entry 0 being the reset entry of each list.
inline constexpr const char* kBlockNames[] = {
    "", "地面", "壁", "ばね", "トゲ", "コイン入りブロック", "こわれるブロック", "スイッチブロック"};
inline constexpr const char* kItemNames[] = {"",       "コイン",   "ゴールの星",
                                             "ハート", "スイッチ", "はた"};
// The winged hero flies where the direction keys point; the sky stage is made for it.
inline constexpr const char* kWingedHeroName = "つばさの主人公";
inline constexpr const char* kCharaNames[] = {
    "",     kHeroName,  kEnemyName, "ぴょんぴょん", "うちうち",
    "ボス", "ようせい", "ほうだい", kWingedHeroName};
// Rows of the first character sheet.
inline constexpr int kHeroGraphic = 1;
inline constexpr int kWalkerGraphic = 2;
inline constexpr int kFairyGraphic = 3;
inline constexpr int kCannonGraphic = 4;
// The common variable that counts the coins of the run: a coin adds one.
inline constexpr int kCoinVariable = 1;
// The stages as the world map names them, and their first numbered generation on disk.
// The third stage lies on a branch of the road; the road goes on past the second to the
// sky (three screens wide and two high, for the winged hero) and to the cliff (its view
// scrolls by itself and stops at the cliff's end).
inline constexpr const char* kStageNames[] = {
    "data\\stg4\\Sample01.stg4", "data\\stg4\\Sample02.stg4", "data\\stg4\\Sample03.stg4",
    "data\\stg4\\Sample04.stg4", "data\\stg4\\Sample05.stg4"};
inline constexpr const char* kStageFiles[] = {
    "data\\stg4\\Sample01.stg4_000", "data\\stg4\\Sample02.stg4_000",
    "data\\stg4\\Sample03.stg4_000", "data\\stg4\\Sample04.stg4_000",
    "data\\stg4\\Sample05.stg4_000"};
inline constexpr int kStageCount = 5;
inline constexpr int kSkyStage = 3;
inline constexpr int kCliffStage = 4;
// The two challenges, each one stage, as the challenge screen names their first course.
inline constexpr const char* kChallengeNames[] = {"data\\stg4\\c01-1.stg4",
                                                  "data\\stg4\\c02-1.stg4"};
inline constexpr const char* kChallengeFiles[] = {"data\\stg4\\c01-1.stg4_000",
                                                  "data\\stg4\\c02-1.stg4_000"};
inline constexpr int kChallengeCount = 2;
// Stage music: Bgm record 2 (MIDI) on the world map and in stage 1, record 3 (Ogg Vorbis
// where the build has an encoder, else a second MIDI tune) in the other stages.
inline constexpr const char* kMapMusic = "bgm\\Field.mid";
#if WF_SAMPLE_OGG
inline constexpr const char* kStageMusic = "bgm\\Castle.ogg";
#else
inline constexpr const char* kStageMusic = "bgm\\Castle.mid";
#endif
inline constexpr const char* kTitlePicture = "bmp\\Title.bmp";
inline constexpr const char* kTitleMusic = "bgm\\Title.mid";
inline constexpr int kSystemSoundCount = 17;
inline constexpr const char* kCoinSound = "wave\\coin.wav";
inline constexpr const char* kSpringSound = "wave\\spring.wav";

// "wave\se00.wav" ... "wave\se16.wav": the files of the seventeen system sound effects.
std::string SystemSoundFile(int index);

// ---- Files built in memory ---------------------------------------------------------

// An 8-bit picture: one palette index per pixel, rows top-down.
class Canvas {
  public:
    Canvas(int width, int height, uint8_t fill = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }
    uint8_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    // Pixels outside the canvas are passed over.
    void Set(int x, int y, uint8_t index);
    void FillRect(int x, int y, int w, int h, uint8_t index);
    // Rows of a pattern, one character per pixel; '.' leaves the pixel, any other
    // character takes the colour the legend gives it.
    void Stamp(int x, int y, const std::vector<std::string>& rows, const std::string& legendChars,
               const std::vector<uint8_t>& legendColours, bool mirror = false);
    // Capital letters, digits and a few signs in a 5 x 7 font, each dot scale x scale.
    void Text(int x, int y, const std::string& text, int scale, uint8_t index);
    static int TextWidth(const std::string& text, int scale);

  private:
    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

// The one colour table every picture of the sample carries. Index 0 is black, the
// transparent colour of a 256-colour game; no other entry is pure black.
const std::array<Rgb, 256>& SamplePalette();

// A bottom-up BITMAPINFOHEADER file of 8 bits with the 256-entry colour table.
std::vector<uint8_t> EncodeBmp8(const Canvas& canvas, const std::array<Rgb, 256>& palette);

// The same picture as an 8-bit palette PNG (stored, uncompressed image data): a picture
// format other than the bitmap that the player reads in Direct3D mode.
std::vector<uint8_t> EncodePng8(const Canvas& canvas, const std::array<Rgb, 256>& palette);

// A PCM WAVE file: mono, 8 bits, at the given rate.
std::vector<uint8_t> EncodeWave8(const std::vector<uint8_t>& samples, uint32_t rate);

// ---- The pieces ---------------------------------------------------------------------

// What is written: the whole sample, or only what the player cannot start without (the
// pictures the built-in table requires, the data and what the data names, System.ini):
// the second kind proves the player on a folder our own naming choices do not prop up.
enum class SampleKind { Full, RequiredOnly };

// Each writes its files below the current directory (the game folder) and says false,
// with the reason in error, at the first file that could not be written.
struct PictureFile {
    std::string path;  // game path
    Canvas canvas;
    bool optional = false;  // a picture the player does without
};
std::vector<PictureFile> MakePictures();
struct SoundFile {
    std::string path;  // game path
    std::vector<uint8_t> bytes;
};
// The seventeen system sounds in order, then the project's own.
std::vector<SoundFile> MakeSounds();
std::vector<uint8_t> MakeTitleMusic();
// A tune of the title's instrument an octave lower and slower, for the world map.
std::vector<uint8_t> MakeFieldMusic();
// The stage music file's bytes (see kStageMusic); empty when it cannot be encoded.
std::vector<uint8_t> MakeStageMusic();

// The pictures, and the half-blend table of each palette the options offer (the palette
// picture's colours in each hue variation), which a 256-colour display reads.
bool WritePictures(std::string& error, SampleKind kind = SampleKind::Full);
// The half-blend table of a palette: entry a x 256 + b is the index of the colour nearest
// (by the sum of the squared differences of red, green and blue) to the colour halfway
// between entries a and b; of equally near colours the lowest index.
HalfBlendTable MakeHalfBlendTable(const PALETTEENTRY* palette);
bool WriteSounds(std::string& error);
bool WriteMusic(std::string& error);
bool WriteSystemIni(std::string& error);
bool WriteBootData(std::string& error);
bool WriteDatabases(std::string& error);
bool WriteSystemData(std::string& error);
// Says in `error` that `what` could not be written; false.
bool CannotWrite(std::string& error, const std::string& what);
// A 32-bit number big-endian, as PNG and MIDI store them.
void PutBe32(std::vector<uint8_t>& b, uint32_t v);

bool WriteCommonPalette(std::string& error);
bool WriteWorldMap(std::string& error);
bool WriteStages(std::string& error);
// System.dat, the common palette, the world map and the stages; reads the databases
// written before into g_Database first.
bool WriteProjectData(std::string& error);

// The project into the current directory, then the factory copy "default\" of "data\".
// The data version must be set (start-up's 770). The required-only kind leaves out the
// optional pictures and the user's boot choice.
bool WriteSampleProject(std::string& error, SampleKind kind = SampleKind::Full);

// What a player leaves in the game folder after a short session of the sample, written by
// the player's own writers: the options, the key assignment, the window place, a story
// save in slot 1, the challenge save, a free-play ranking and a replay of the first
// stage; and the left sword picture as PNG beside its bitmap. Not part of the
// sample game, whose player starts afresh; written after WriteSampleProject, whose
// project it loads.
bool WriteUserFiles(std::string& error);
inline constexpr const char* kReplayFile = "user_data\\rpl4\\Sample01_00.rpl4_770";
inline constexpr const char* kRankingFile = "user_data\\free\\Sample01.rkg";
inline constexpr const char* kOtherPictures[] = {"bmp\\sword\\Sword_L.png"};

}  // namespace sample
