// Fuzzes the player's readers of stored and user files, one reader per program name:
// build-fuzz/fuzz/stage_fuzz runs the stage reader, wave_fuzz the sound-effect reader,
// and so on (each name is a link to this program; run it under its own name for the list).
//
// At start the program writes the sample game and the user files of a short session into
// a scratch game folder (under $TMPDIR), loads the project as start-up does, and hands
// the sample's files of its reader (and inputs kept from past findings) to libFuzzer as
// seeds. Each input is then written over the reader's file and read by the very function
// the player calls for it. Beyond the sanitizers' findings, a reader fails the run when
// - a load that failed changed what it loads into, where the player goes on with it;
// - a user file it read and saves again does not come back the same once more.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "app/system_ini.h"
#include "core/paths.h"
#include "core/record.h"
#include "data/boot_data.h"
#include "data/cmd_types.h"
#include "data/data_path.h"
#include "data/database.h"
#include "data/global_data.h"
#include "data/palette.h"
#include "data/param_desc.h"
#include "data/save_data.h"
#include "data/save_slots.h"
#include "data/stage_file.h"
#include "data/stage_loader.h"
#include "data/system_data.h"
#include "flow/expr_eval.h"
#include "flow/expr_lexer.h"
#include "media/draw/dd_surface.h"
#include "media/input/key_config.h"
#include "media/sound/midi_stream.h"
#include "media/sound/sound.h"
#include "media/sound/sound_device.h"
#include "objects/chara.h"
#include "objects/map_cell.h"
#include "objects/play_context.h"
#include "platform/audio/ogg_stream.h"
#include "platform/diag.h"
#include "platform/fs/fs.h"
#include "platform/msg/msg.h"
#include "platform/msgbox/msgbox.h"
#include "platform/video/bmp.h"
#include "play/ranking.h"
#include "play/replay.h"
#include "sample_project.h"

namespace {

namespace fs = std::filesystem;

// ---- The input as a file, and records as bytes ------------------------------------------

std::span<const uint8_t> g_input;

void WriteInput(const char* gamePath) {
    FILE* f = platform::fs::OpenGameFile(gamePath, "wb");
    if (!f) std::abort();
    if (!g_input.empty() && std::fwrite(g_input.data(), 1, g_input.size(), f) != g_input.size())
        std::abort();
    std::fclose(f);
}

std::vector<uint8_t> FileBytes(const char* gamePath) {
    std::vector<uint8_t> bytes;
    if (!platform::fs::ReadGameFile(gamePath, bytes)) std::abort();
    return bytes;
}

// What a writer puts into a file, in memory.
std::vector<uint8_t> Written(const std::function<bool(FILE*)>& write) {
    char* buffer = nullptr;
    size_t length = 0;
    FILE* fp = open_memstream(&buffer, &length);
    if (!fp) std::abort();
    const bool ok = write(fp);
    std::fclose(fp);
    std::vector<uint8_t> bytes(buffer, buffer + length);
    std::free(buffer);
    if (!ok) std::abort();
    return bytes;
}

// What a record holds, as its own Save writes it.
std::vector<uint8_t> RecordBytes(cSaveRecord& record) {
    return Written([&record](FILE* fp) { return record.Save(fp); });
}

// The ten lists of the databases as their files hold them.
std::vector<uint8_t> DatabaseBytes(cDatabase& db) {
    return Written([&db](FILE* fp) {
        ByteWriter out(fp);
        return WriteList(out, db.m_vAnimeSet) && WriteList(out, db.m_vAnime) &&
               WriteList(out, db.m_vBmpCharaExc) && WriteList(out, db.m_vSwordType) &&
               WriteList(out, db.m_vEffect) && WriteList(out, db.m_vCharaEffect) &&
               WriteList(out, db.m_vScrEffect) && WriteList(out, db.m_vPicture) &&
               WriteList(out, db.m_vSound) && WriteList(out, db.m_vBgm);
    });
}

[[noreturn]] void StartFailed(const std::string& why) {
    std::fprintf(stderr, "reader_fuzz: %s\n", why.c_str());
    std::exit(1);
}

// A finding: says which rule broke, then stops as a crash would.
[[noreturn]] void Broken(const char* reader, const char* rule) {
    std::fprintf(stderr, "==%s: %s\n", reader, rule);
    std::abort();
}

// Saves what a successful read produced, reads that back and saves it again: the two
// saved files must be the same, or something read is not what is written.
void ExpectStableResave(const char* reader, const char* gamePath, const std::function<bool()>& save,
                        const std::function<bool()>& load) {
    if (!save()) Broken(reader, "a file it read cannot be saved again");
    const std::vector<uint8_t> first = FileBytes(gamePath);
    if (!load()) Broken(reader, "a file it saved cannot be read back");
    if (!save()) Broken(reader, "a file it read back cannot be saved");
    if (FileBytes(gamePath) != first) Broken(reader, "saved again, a file it read changes");
}

// ---- The project as start-up leaves it ---------------------------------------------------

struct Project {
    cDatabase database;
    cSystemData system;
    cPalette palette;
    cWorldMapData worldMap;
    cSaveData session;
    cOptionData options;
};
Project* g_project = nullptr;

void RestoreProject() {
    g_Database = g_project->database;
    g_SystemData = g_project->system;
    g_CommonPalette = g_project->palette;
    g_WorldMapData = g_project->worldMap;
    g_PlaySession = g_project->session;
    g_OptionData = g_project->options;
}

// ---- The readers ----------------------------------------------------------------------

constexpr const char* kStagePath = "data\\stg4\\Fuzz.stg4_000";
constexpr const char* kRankingStage = "data\\stg4\\Fuzz.stg4";
constexpr const char* kRankingPath = "user_data\\free\\Fuzz.rkg";
constexpr const char* kReplayPath = "user_data\\rpl4\\Fuzz_00.rpl4_770";
constexpr const char* kBmpPath = "bmp\\Fuzz.bmp";
constexpr const char* kPicturePath = "bmp\\Fuzz.png";
constexpr const char* kWavePath = "wave\\Fuzz.wav";
constexpr const char* kMidiPath = "bgm\\Fuzz.mid";
constexpr const char* kOggPath = "bgm\\Fuzz.ogg";

void ReadStage() {
    WriteInput(kStagePath);
    const std::vector<uint8_t> before = RecordBytes(g_Stage);
    if (!LoadStageFile(kStagePath, 0, &g_PlayStage)) {
        if (RecordBytes(g_Stage) != before) Broken("stage", "a failed load changed the stage");
        return;
    }
    if (!g_Stage.HasHero()) Broken("stage", "a stage without a hero was loaded");
}

void ReadSystemData() {
    RestoreProject();
    WriteInput(DataPath[35]);
    if (!LoadSystemData(g_Database.m_vBgm.size())) {
        if (RecordBytes(g_SystemData) != RecordBytes(g_project->system))
            Broken("system_dat", "a failed load changed the settings");
        return;
    }
    // Start-up reads "System.ini" with the key list it has just loaded.
    LoadIniDefaults(g_IniSetting, g_SystemData.m_vIniKey);
    ReadIni("System.ini", g_IniSetting, g_SystemData.m_vIniKey);
}

template <int kList>
void ReadDatabase() {
    RestoreProject();
    WriteInput(DatabaseFilePath(kList));
    if (!InitDatabases()) {
        // The lists before the damaged file were read again from the same files.
        if (DatabaseBytes(g_Database) != DatabaseBytes(g_project->database))
            Broken("database", "a failed load changed the databases");
    }
}

void ReadCommonPalette() {
    RestoreProject();
    WriteInput(DataPath[7]);
    LoadCommonPalette();
}

void ReadWorldMap() {
    RestoreProject();
    WriteInput(DataPath[13]);
    g_WorldMapData.LoadFile(DataPath[13]);
}

void ReadStorySave() {
    RestoreProject();
    char path[kMaxPath];
    MakeStoryPath(path, 0);
    WriteInput(path);
    BuildSlotList(g_SaveSlots);
    if (!g_PlaySession.LoadSlot(0)) {
        if (RecordBytes(g_PlaySession) != RecordBytes(g_project->session))
            Broken("story_save", "a failed load changed the run");
        return;
    }
    ExpectStableResave(
        "story_save", path, [] { return g_PlaySession.SaveSlot(0) != 0; },
        [] { return g_PlaySession.LoadSlot(0) != 0; });
}

void ReadChallengeSave() {
    RestoreProject();
    WriteInput(DataPath[42]);
    if (!g_PlaySession.LoadChallenge()) {
        if (RecordBytes(g_PlaySession) != RecordBytes(g_project->session))
            Broken("challenge_save", "a failed load changed the run");
        return;
    }
    ExpectStableResave(
        "challenge_save", DataPath[42], [] { return g_PlaySession.SaveChallenge() != 0; },
        [] { return g_PlaySession.LoadChallenge() != 0; });
}

void ReadReplay() {
    RestoreProject();
    WriteInput(kReplayPath);
    cReplayInput input;
    cStage stage, playStage;
    const std::vector<uint8_t> runBefore = RecordBytes(g_PlaySession);
    const std::vector<uint8_t> inputBefore = RecordBytes(input);
    if (!LoadReplayFile(input, kReplayPath, stage, playStage, g_PlaySession)) {
        if (RecordBytes(g_PlaySession) != runBefore || RecordBytes(input) != inputBefore)
            Broken("replay", "a failed load changed the run or the input");
        return;
    }
    ExpectStableResave(
        "replay", kReplayPath,
        [&] { return SaveReplayFile(input, kReplayPath, stage, playStage, g_PlaySession) != 0; },
        [&] { return LoadReplayFile(input, kReplayPath, stage, playStage, g_PlaySession) != 0; });
}

void ReadRanking() {
    WriteInput(kRankingPath);
    cRankFile ranking;
    if (!LoadRanking(ranking, 2, kRankingStage, 0, 0, 0)) return;
    ExpectStableResave(
        "ranking", kRankingPath, [&] { return SaveRanking(ranking, 2, kRankingStage, 0, 0, 0); },
        [&] { return LoadRanking(ranking, 2, kRankingStage, 0, 0, 0) != 0; });
}

void ReadOptions() {
    RestoreProject();
    WriteInput(DataPath[43]);
    if (!LoadOptionData()) {
        if (RecordBytes(g_OptionData) != RecordBytes(g_project->options))
            Broken("option_dat", "a failed load changed the options");
        return;
    }
    ExpectStableResave(
        "option_dat", DataPath[43], [] { return g_OptionData.SaveFile(DataPath[43]) != 0; },
        [] { return LoadOptionData() != 0; });
}

void ReadBootData() {
    WriteInput(DataPath[46]);
    cBootData boot;
    if (!boot.LoadFile(DataPath[46])) return;
    ExpectStableResave(
        "boot_dat", DataPath[46], [&] { return boot.SaveFile(DataPath[46]) != 0; },
        [&] { return boot.LoadFile(DataPath[46]) != 0; });
}

void ReadWindowData() {
    WriteInput(DataPath[47]);
    // Start-up places the window only from a place that could be read.
    cWindowRec window;
    if (!window.LoadFile(DataPath[47])) return;
    window.ClampToScreen(1920, 1080, 640, 480);
    if (window.m_nX < 0 || window.m_nY < 0 || window.m_nX > 1920 - 640 || window.m_nY > 1080 - 480)
        Broken("window_dat", "the window is not wholly on the screen");
}

void ReadKeyConfig() {
    WriteInput(kKeyConfigPath);
    KEYCONFIG config{};
    SetDefaultKeyConfig(config);
    const KEYCONFIG before = config;
    if (!LoadKeyConfig(kKeyConfigPath, config)) {
        if (std::memcmp(&config, &before, sizeof config) != 0)
            Broken("key_config", "a failed load changed the keys");
        return;
    }
    ExpectStableResave(
        "key_config", kKeyConfigPath, [&] { return SaveKeyConfig(kKeyConfigPath, config); },
        [&] { return LoadKeyConfig(kKeyConfigPath, config) != 0; });
}

void ReadSystemIni() {
    WriteInput("System.ini");
    IniSetting ini;
    LoadIniDefaults(ini, g_SystemData.m_vIniKey);
    if (!ReadIni("System.ini", ini, g_SystemData.m_vIniKey))
        LoadIniDefaults(ini, g_SystemData.m_vIniKey);
    // What start-up decides from it next.
    DecideDisplay(ini, 32, false, 0, false);
}

void ReadBmp() {
    WriteInput(kBmpPath);
    platform::video::Picture picture;
    DDLoadPicture(kBmpPath, false, picture);
}

void ReadOtherPicture() {
    WriteInput(kPicturePath);
    platform::video::Picture picture;
    DDLoadPicture(kPicturePath, true, picture);
}

void ReadWave() {
    // The sound table holds the mixer while it has entries; this keeps it open between
    // runs, as the player keeps it for its whole session.
    static const std::shared_ptr<platform::audio::Mixer> mixer = AcquireSoundMixer();
    WriteInput(kWavePath);
    SOUNDFILE file{};
    std::snprintf(file.szFile, sizeof file.szFile, "%s", kWavePath);
    file.nCount = 2;
    std::vector<SOUNDENTRY> entries;
    DS_Init(nullptr, 22050, 8, 1);
    LoadSoundList(entries, {file}, 0);
    if (!entries.empty() && entries[0].count > 0) PlaySoundEntry(entries[0], 0);
    ReleaseSoundList();
}

void ReadMidi() {
    WriteInput(kMidiPath);
    cMidiFile file(kMidiPath);
    if (file.Loaded()) cMidiStream::Sequence(file.Image());
}

void ReadOgg() {
    WriteInput(kOggPath);
    platform::audio::OggStream stream;
    if (!stream.Open(kOggPath)) return;
    stream.Play();
    // A few seconds of music, at the rate of a common device.
    std::vector<float> stereo(2 * 4096);
    for (int i = 0; i < 32 && stream.Playing(); ++i) stream.Mix(stereo.data(), 4096, 44100);
}

// The code text of the execute-code command, run for a character with a target and a
// hero on a fixed stage. The stage is the play layer's interface, which flow tests fake:
// a running stage of the play layer would bring a whole stage's set-up into every run.
class FixedStage : public PlayContext {
  public:
    PlayState& State() override { return state; }
    std::vector<cMapCell>& MapCells() override { return cells; }
    cChara* Hero() override { return hero; }
    cChara* FindChara(const std::function<bool(cChara&)>&) override { return nullptr; }
    CharaList& CharaGroup(uint32_t) override { return group; }
    ShotList& ShotGroup(uint32_t) override { return shots; }
    int32_t& Score() override { return score; }

    PlayState state;
    std::vector<cMapCell> cells;
    cChara* hero = nullptr;
    CharaList group;
    ShotList shots;
    int32_t score = 100;
};

void ResetChara(cChara& c, int32_t hp) {
    c.m_vVars.assign(9, 0);
    c.m_Def.m_nMaxHP = 100;
    c.m_Def.m_nMaxSP = 50;
    c.m_nHP = hp;
    c.m_nSP = 10;
}

bool InBounds(const cChara& c) {
    for (int32_t v : c.m_vVars)
        if (v < -999999 || v > 999999) return false;
    return c.m_nHP >= 0 && c.m_nHP <= static_cast<int32_t>(c.m_Def.m_nMaxHP) && c.m_nSP >= 0 &&
           c.m_nSP <= static_cast<int32_t>(c.m_Def.m_nMaxSP) && c.m_Def.m_nMaxHP >= 1 &&
           c.m_Def.m_nMaxHP <= 999999 && c.m_Def.m_nSightRange <= 40 && c.m_Def.m_nDecel <= 200;
}

// No text may crash, overflow, recurse without bound or hang; every error is a box
// (answered at once) and a false result; whatever a text assigns stays within the bounds
// of what it names.
void RunCodeText() {
    static FixedStage stage;
    static cChara hero, self, target;
    static const bool ready = [] {
        SetPlayContext(&stage);
        stage.hero = &hero;
        self.SetTarget(0, &target);
        return true;
    }();
    (void)ready;
    ResetChara(hero, 100);
    ResetChara(self, 60);
    ResetChara(target, 30);
    g_PlaySession.m_vVariables.assign(kVariableCount, 0);
    g_PlaySession.m_nLives = 3;
    g_Stage.m_nScrollSpeedX = g_Stage.m_nScrollSpeedY = 0;
    stage.score = 100;

    const std::string_view text(reinterpret_cast<const char*>(g_input.data()), g_input.size());
    const bool ok = ExecCode(text, self);
    if (ok == ExprErrorSet()) Broken("code_text", "the result and the error box disagree");
    for (const cChara* c : {&hero, &self, &target})
        if (!InBounds(*c)) Broken("code_text", "a character's status left its bounds");
    for (uint32_t v : g_PlaySession.m_vVariables)
        if (static_cast<int32_t>(v) < -999999 || static_cast<int32_t>(v) > 999999)
            Broken("code_text", "a variable left its bounds");
    if (g_PlaySession.m_nLives < 0 || g_PlaySession.m_nLives > 99)
        Broken("code_text", "the lives left their bounds");
    if (stage.score < 0 || stage.score > 999999) Broken("code_text", "the score left its bounds");
}

// ---- The table ------------------------------------------------------------------------

// Seeds are whole inputs: the bytes of the sample's files of a reader, and inputs that
// once got past a reader and are kept in the runs from then on.
using Seeds = std::vector<std::vector<uint8_t>>;

Seeds Files(const std::vector<std::string>& gamePaths) {
    Seeds seeds;
    for (const std::string& path : gamePaths) {
        std::vector<uint8_t> bytes;
        if (!platform::fs::ReadGameFile(path, bytes)) StartFailed("the sample has no " + path);
        seeds.push_back(std::move(bytes));
    }
    return seeds;
}

template <int kList>
Seeds DatabaseSeed() {
    return Files({DatabaseFilePath(kList)});
}

std::vector<std::string> StagePaths() {
    std::vector<std::string> paths;
    for (const char* p : sample::kStageFiles) paths.push_back(p);
    for (const char* p : sample::kChallengeFiles) paths.push_back(p);
    return paths;
}

Seeds BmpSeeds() {
    std::vector<std::string> paths;
    for (const sample::PictureFile& p : sample::MakePictures()) paths.push_back(p.path);
    return Files(paths);
}

Seeds WaveSeeds() {
    std::vector<std::string> paths;
    for (const sample::SoundFile& s : sample::MakeSounds()) paths.push_back(s.path);
    return Files(paths);
}

Seeds MusicSeeds(std::string_view extension) {
    std::vector<std::string> paths;
    for (const char* p : {sample::kTitleMusic, sample::kMapMusic, sample::kStageMusic})
        if (std::string_view(p).ends_with(extension)) paths.push_back(p);
    return Files(paths);
}

// The sample's PNG, and 16 bytes of PNM whose header SDL2_image's decoder reads as a
// picture of 622 MB, though a "#" comment to the line end makes them 77 x 77.
Seeds OtherPictureSeeds() {
    Seeds seeds = Files({sample::kOtherPictures[0]});
    seeds.push_back({0x50, 0x32, 0x37, 0x37, 0x23, 0x37, 0x37, 0x37, 0x37, 0x37, 0x37, 0x32, 0x0d,
                     0x37, 0x37, 0x00});
    return seeds;
}

Seeds StorySeed() {
    char path[kMaxPath];
    MakeStoryPath(path, 0);
    return Files({path});
}

// Every code text of an execute-code command in the sample's characters.
Seeds CodeTextSeeds() {
    Seeds texts;
    auto collect = [&texts](const std::vector<cCharaDef>& charas) {
        for (const cCharaDef& chara : charas)
            for (const cFlow& flow : chara.m_vFlows)
                for (const cFlowCmd& cmd : flow.m_vCmds)
                    if (cmd.m_nCategory == kCmdCategoryFlow && cmd.m_nType == kCmdExecCode)
                        texts.emplace_back(cmd.m_strText.begin(), cmd.m_strText.end());
    };
    collect(g_CommonPalette.m_vCharas);
    for (const std::string& path : StagePaths()) {
        cStage stage;
        if (stage.LoadFile(path.c_str())) collect(stage.m_vCharas);
    }
    return texts;
}

struct Reader {
    const char* name;
    void (*read)();
    Seeds (*seeds)();
};

const Reader kReaders[] = {
    {"stage", ReadStage, [] { return Files(StagePaths()); }},
    {"system_dat", ReadSystemData, [] { return Files({DataPath[35]}); }},
    {"db_animeset", ReadDatabase<0>, DatabaseSeed<0>},
    {"db_anime", ReadDatabase<1>, DatabaseSeed<1>},
    {"db_bmp_charaexc", ReadDatabase<2>, DatabaseSeed<2>},
    {"db_swordtype", ReadDatabase<3>, DatabaseSeed<3>},
    {"db_effect", ReadDatabase<4>, DatabaseSeed<4>},
    {"db_charaeffect", ReadDatabase<5>, DatabaseSeed<5>},
    {"db_screffect", ReadDatabase<6>, DatabaseSeed<6>},
    {"db_picture", ReadDatabase<7>, DatabaseSeed<7>},
    {"db_sound", ReadDatabase<8>, DatabaseSeed<8>},
    {"db_bgm", ReadDatabase<9>, DatabaseSeed<9>},
    {"common_palette", ReadCommonPalette, [] { return Files({DataPath[7]}); }},
    {"world_map", ReadWorldMap, [] { return Files({DataPath[13]}); }},
    {"story_save", ReadStorySave, StorySeed},
    {"challenge_save", ReadChallengeSave, [] { return Files({DataPath[42]}); }},
    {"replay", ReadReplay, [] { return Files({sample::kReplayFile}); }},
    {"ranking", ReadRanking, [] { return Files({sample::kRankingFile}); }},
    {"option_dat", ReadOptions, [] { return Files({DataPath[43]}); }},
    {"boot_dat", ReadBootData, [] { return Files({DataPath[46]}); }},
    {"window_dat", ReadWindowData, [] { return Files({DataPath[47]}); }},
    {"key_config", ReadKeyConfig, [] { return Files({kKeyConfigPath}); }},
    {"system_ini", ReadSystemIni, [] { return Files({"System.ini"}); }},
    {"bmp", ReadBmp, BmpSeeds},
    {"other_picture", ReadOtherPicture, OtherPictureSeeds},
    {"wave", ReadWave, WaveSeeds},
    {"midi", ReadMidi, [] { return MusicSeeds(".mid"); }},
    {"ogg", ReadOgg, [] { return MusicSeeds(".ogg"); }},
    {"code_text", RunCodeText, CodeTextSeeds},
};

const Reader* g_reader = nullptr;

// ---- Start ----------------------------------------------------------------------------

std::string g_scratch;

void RemoveScratch() {
    std::error_code ec;
    if (!g_scratch.empty()) fs::remove_all(g_scratch, ec);
}

// The sample game with its user files in a folder of our own, then the project loaded as
// start-up loads it.
void MakeGameFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/wrenfold-fuzz.XXXXXX";
    if (!mkdtemp(pattern.data())) StartFailed("cannot make a scratch folder in " + pattern);
    g_scratch = pattern;
    std::atexit(RemoveScratch);
    std::error_code ec;
    fs::current_path(g_scratch, ec);
    if (ec) StartFailed("cannot enter " + g_scratch);

    g_nDataVersion = kCurrentDataVersion;
    g_bStripCR = true;
    InitCmdTypes();
    InitParamTables();
    std::string error;
    if (!sample::WriteSampleProject(error) || !sample::WriteUserFiles(error)) StartFailed(error);
    if (!CreateStartFolders() || !InitDatabases() || !LoadSystemData(g_Database.m_vBgm.size()) ||
        !LoadCommonPalette() || !g_WorldMapData.LoadFile(DataPath[13]))
        StartFailed("the sample project does not load");
    static Project project{g_Database,     g_SystemData,  g_CommonPalette,
                           g_WorldMapData, g_PlaySession, g_OptionData};
    g_project = &project;
}

// The seeds as files outside the game folder, where no run writes.
std::string WriteSeeds() {
    const fs::path folder = fs::path(g_scratch) / "seeds";
    fs::create_directories(folder);
    std::string list;
    int n = 0;
    for (const std::vector<uint8_t>& bytes : g_reader->seeds()) {
        const fs::path file = folder / ("seed-" + std::to_string(n++));
        FILE* f = std::fopen(file.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
            StartFailed("cannot write " + file.string());
        std::fclose(f);
        list += (list.empty() ? "" : ",") + file.string();
    }
    if (list.empty()) StartFailed(std::string("the sample has no seed for ") + g_reader->name);
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const std::string program = fs::path((*argv)[0]).filename().string();
    for (const Reader& reader : kReaders)
        if (program == std::string(reader.name) + "_fuzz") g_reader = &reader;
    if (!g_reader) {
        std::fprintf(stderr, "run this program as one of its links, NAME_fuzz:\n");
        for (const Reader& reader : kReaders) std::printf("%s\n", reader.name);
        std::exit(program == "reader_fuzz" ? 0 : 1);
    }

    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Damaged files are the rule here: only errors show, and boxes answer at once.
    platform::SetDiagThreshold(platform::DiagLevel::Error);
    platform::msgbox::SetScriptedAnswerer([](const platform::msgbox::Request&) { return 1; });
    // A fault's close request has no window to go to; dropped, it cannot pile up over
    // millions of runs.
    platform::msg::SetMainWindowGone(true);
    MakeGameFolder();
    // Saves are stamped with one time, so that saving twice writes the same bytes.
    SetSaveTimeSource([] { return SaveTime{2024, 5, 3, 15, 18, 30, 0, 0}; });

    // The seeds join whatever corpus the command line names.
    static std::vector<char*> args(*argv, *argv + *argc);
    static std::string seedFlag = "-seed_inputs=" + WriteSeeds();
    args.insert(args.begin() + 1, seedFlag.data());
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    g_input = std::span<const uint8_t>(data, size);
    g_reader->read();
    return 0;
}
