// Record persistence: the registry walks, the record file helpers and the string lists.
#include "core/record.h"

#include <algorithm>
#include <cstring>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>

#include "core/bounds.h"
#include "core/strings.h"
#include "platform/diag.h"
#include "platform/text/cp932.h"

uint32_t g_nDataVersion = 0;
bool g_bStripCR = false;

namespace {
// Internal, reached through the functions below: a thread_local variable declared extern
// and read from other files is reached through a wrapper whose null check, under the
// undefined-behaviour sanitizer, reads flags that the linker's TLS rewrite no longer sets.
thread_local uint32_t g_nFileVersion = 0;
thread_local uint32_t g_nDroppedField = 0;
}  // namespace

uint32_t FileVersion() {
    return g_nFileVersion;
}

void SetFileVersion(uint32_t version) {
    g_nFileVersion = version;
}

uint32_t& DroppedField() {
    return g_nDroppedField;
}

namespace {

// Game paths are Shift-JIS; our diagnostics are UTF-8.
std::string NameForDiag(const char* name) {
    std::string utf8;
    if (!name) return "(null)";
    if (!platform::text::TrySjisToUtf8(name, utf8)) return name;
    return utf8;
}

void EraseCR(std::string& s) {
    std::erase(s, '\r');
}

}  // namespace

// ---- Registry ----------------------------------------------------------------------

void cSaveRecord::ClearFields() {
    m_vField.clear();
    m_vStr.clear();
}

void cSaveRecord::AddField(void* address, uint32_t count, size_t elementSize) {
    m_vField.push_back({this, address, count, static_cast<int8_t>(elementSize)});
}

void cSaveRecord::PushStrRef(std::string& member, int n) {
    for (int i = 0; i < n; ++i) m_vStr.push_back({this, &member});
}

void cSaveRecord::Rebuild(uint32_t version) {
    ClearFields();
    RegisterFields(version);
    m_bRegistryStale = false;
}

std::span<const cFieldRef> cSaveRecord::Fields() const {
    if (m_bRegistryStale) const_cast<cSaveRecord*>(this)->Rebuild(g_nDataVersion);
    return m_vField;
}

std::span<const cStrRef> cSaveRecord::Strings() const {
    if (m_bRegistryStale) const_cast<cSaveRecord*>(this)->Rebuild(g_nDataVersion);
    return m_vStr;
}

cSaveRecord& cSaveRecord::operator=(const cSaveRecord& source) {
    if (this == &source) return *this;
    // Never the source's entries: those point into the source and may stand at a file's
    // older version, with entries outside the record (g_nDroppedField). Every walk
    // registers first, so a copy only notes that its registry is out of date.
    m_bRegistryStale = true;
    source.VersionHook(g_nDataVersion);
    return *this;
}

// ---- Layouts -------------------------------------------------------------------------

namespace {

// Where the registered members of one class lie at one version, as offsets from the
// record. A class whose registry names something outside the record (the scratch of a
// dropped field) shows other offsets for records at other addresses and is never used.
struct RecordLayout {
    enum class State { kSeenOnce, kSure, kNever };
    struct Field {
        ptrdiff_t offset;
        size_t bytes;
    };
    State state = State::kSeenOnce;
    const void* firstAt = nullptr;
    std::vector<Field> fields;
    std::vector<ptrdiff_t> strings;
};

struct LayoutKey {
    std::type_index type;
    uint32_t version;
    bool operator==(const LayoutKey&) const = default;
};

struct LayoutKeyHash {
    size_t operator()(const LayoutKey& k) const {
        return k.type.hash_code() ^ (static_cast<size_t>(k.version) * 0x9E3779B97F4A7C15ull);
    }
};

// One table per thread: records are made on the loader threads too, and a lookup takes no
// lock.
std::unordered_map<LayoutKey, RecordLayout, LayoutKeyHash>& Layouts() {
    static thread_local std::unordered_map<LayoutKey, RecordLayout, LayoutKeyHash> layouts;
    return layouts;
}

const RecordLayout* SureLayout(const cSaveRecord& record, uint32_t version) {
    auto& layouts = Layouts();
    const auto it = layouts.find({typeid(record), version});
    return it != layouts.end() && it->second.state == RecordLayout::State::kSure ? &it->second
                                                                                 : nullptr;
}

}  // namespace

void cSaveRecord::NoteLayout(uint32_t version) const {
    auto& layouts = Layouts();
    const auto [it, added] = layouts.try_emplace(LayoutKey{typeid(*this), version});
    RecordLayout& layout = it->second;
    if (!added && (layout.state != RecordLayout::State::kSeenOnce || layout.firstAt == this))
        return;
    const auto* base = reinterpret_cast<const char*>(this);
    std::vector<RecordLayout::Field> fields;
    fields.reserve(m_vField.size());
    for (const cFieldRef& f : m_vField)
        fields.push_back({static_cast<const char*>(f.address) - base, f.Bytes()});
    std::vector<ptrdiff_t> strings;
    strings.reserve(m_vStr.size());
    for (const cStrRef& s : m_vStr)
        strings.push_back(reinterpret_cast<const char*>(s.address) - base);
    if (added) {
        layout.firstAt = this;
        layout.fields = std::move(fields);
        layout.strings = std::move(strings);
        return;
    }
    const bool same = strings == layout.strings &&
                      std::equal(fields.begin(), fields.end(), layout.fields.begin(),
                                 layout.fields.end(), [](const auto& a, const auto& b) {
                                     return a.offset == b.offset && a.bytes == b.bytes;
                                 });
    layout.state = same ? RecordLayout::State::kSure : RecordLayout::State::kNever;
}

// ---- Load ----------------------------------------------------------------------------

bool cSaveRecord::Load(FILE* fp) {
    const uint32_t fileVersion = FileVersion();
    Rebuild(fileVersion);
    ByteReader in(fp);
    const bool ok = LoadFields(in) && LoadStrings(in);
    if (g_nDataVersion != fileVersion) Rebuild(g_nDataVersion);
    return ok;
}

bool cSaveRecord::LoadFields(ByteReader& in) {
    int32_t n = 0;
    bool present = false;
    if (!in.ReadPartCount(n, 0, present)) return false;
    if (!present) return true;
    const int registered = static_cast<int>(m_vField.size());
    if (n > registered) {
        // The first index past the registry is the game's bounds fault: its line and the
        // close request. Reading the excess into entry 0, as the game went on to do, would
        // only scramble the record, so the record stops here.
        BoundsFaultV(registered, registered, static_cast<int>(sizeof(cFieldRef)));
        return false;
    }
    uint64_t total = 0;
    for (int i = 0; i < n; ++i) total += m_vField[static_cast<size_t>(i)].Bytes();
    // All fields or none: a field block the file cannot hold leaves every member as it was.
    if (total > in.Remaining()) {
        in.NoteDamage("field block", total);
        return false;
    }
    for (int i = 0; i < n; ++i) {
        const cFieldRef& f = m_vField[static_cast<size_t>(i)];
        if (!in.ReadRaw(f.address, f.Bytes())) {
            in.NoteDamage("field", f.Bytes());
            return false;
        }
    }
    return true;
}

bool cSaveRecord::LoadStrings(ByteReader& in) {
    int32_t m = 0;
    bool present = false;
    if (!in.ReadPartCount(m, sizeof(uint32_t), present)) return false;
    if (!present) {
        if (g_bStripCR) StripRegisteredStrings();
        return true;
    }
    const int registered = static_cast<int>(m_vStr.size());
    if (m > registered) {
        BoundsFaultV(registered, registered, static_cast<int>(sizeof(cStrRef)));
        return false;
    }
    // Read every string first and assign them together: a damaged string part changes none.
    std::vector<std::string> texts(static_cast<size_t>(m));
    for (std::string& text : texts)
        if (!in.ReadString(text)) return false;
    for (int i = 0; i < m; ++i)
        *m_vStr[static_cast<size_t>(i)].address = std::move(texts[static_cast<size_t>(i)]);
    // Every registered string, those the file did not hold included.
    if (g_bStripCR) StripRegisteredStrings();
    return true;
}

void cSaveRecord::StripRegisteredStrings() {
    for (const cStrRef& s : m_vStr) EraseCR(*s.address);
}

void cSaveRecord::StripCR() {
    // Outside a load the registry could be a stale one; the current layout names the same
    // strings a finished load leaves registered.
    Rebuild(g_nDataVersion);
    StripRegisteredStrings();
}

// ---- Save ----------------------------------------------------------------------------

bool cSaveRecord::Save(FILE* fp) {
    Rebuild(g_nDataVersion);
    ByteWriter out(fp);
    out.WriteCount(m_vField.size());
    for (const cFieldRef& f : m_vField) out.WriteRaw(f.address, f.Bytes());
    return SaveStrings(out);
}

bool cSaveRecord::SaveStrings(ByteWriter& out) {
    out.WriteCount(m_vStr.size());
    for (const cStrRef& s : m_vStr) {
        // The game passes each string through its work buffer, which cuts the string in
        // memory at its first zero byte. Longer strings than that buffer are written
        // whole rather than overrunning it.
        StrReassign(*s.address);
        out.WriteString(*s.address);
    }
    return out.Ok();
}

// ---- Clear and copy ------------------------------------------------------------------

void cSaveRecord::Clear() {
    const uint32_t version = g_nDataVersion;
    if (const RecordLayout* layout = SureLayout(*this, version)) {
        auto* base = reinterpret_cast<char*>(this);
        for (const RecordLayout::Field& f : layout->fields)
            std::memset(base + f.offset, 0, f.bytes);
        for (ptrdiff_t s : layout->strings) reinterpret_cast<std::string*>(base + s)->clear();
        m_bRegistryStale = true;
        return;
    }
    Rebuild(version);
    for (const cFieldRef& f : m_vField) std::memset(f.address, 0, f.Bytes());
    for (const cStrRef& s : m_vStr) s.address->clear();
    NoteLayout(version);
}

bool cSaveRecord::CopyFrom(cSaveRecord& source) {
    if (&source == this) return true;
    if (typeid(*this) != typeid(source)) {
        platform::Diag(platform::DiagLevel::Warn, "record", "CopyFrom between %s and %s ignored",
                       typeid(*this).name(), typeid(source).name());
        return false;
    }
    Rebuild(g_nDataVersion);
    source.Rebuild(g_nDataVersion);
    const size_t fields = std::min(m_vField.size(), source.m_vField.size());
    for (size_t i = 0; i < fields; ++i)
        std::memmove(m_vField[i].address, source.m_vField[i].address, m_vField[i].Bytes());
    const size_t strings = std::min(m_vStr.size(), source.m_vStr.size());
    for (size_t i = 0; i < strings; ++i) *m_vStr[i].address = *source.m_vStr[i].address;
    return true;
}

// ---- Whole files ---------------------------------------------------------------------

int cSaveRecord::LoadFile(const char* name) {
    FILE* fp = OpenRecordRead(name);
    if (!fp) return 0;
    const bool ok = Load(fp);
    CloseRecordFile(fp);
    if (!ok)
        platform::Diag(platform::DiagLevel::Warn, "record", "%s: damaged, load stopped",
                       NameForDiag(name).c_str());
    return ok ? 1 : 0;
}

int cSaveRecord::SaveFile(const char* name) {
    RecordFileWriter file(name);
    if (!file.Stream()) return 0;
    if (!Save(file.Stream())) return 0;
    return file.Commit() ? 1 : 0;
}

FILE* OpenRecordRead(const char* name) {
    const char* path = (name && name[0]) ? name : "err";
    FILE* fp = platform::fs::OpenGameFile(path, "rb");
    if (!fp) return nullptr;
    RememberFileEnd(fp);
    ByteReader in(fp);
    uint32_t version = 0;
    if (!in.Read(version)) {
        // Too short to hold a version: damaged, not a file of the previous file's version.
        platform::Diag(platform::DiagLevel::Warn, "record", "%s: no version word",
                       NameForDiag(path).c_str());
        CloseRecordFile(fp);
        return nullptr;
    }
    g_nFileVersion = version;
    return fp;
}

FILE* OpenRecordWrite(const char* name) {
    if (!name || !name[0]) return nullptr;
    FILE* fp = platform::fs::OpenGameFile(name, "wb");
    if (!fp) return nullptr;
    ByteWriter out(fp);
    if (!out.Write(g_nDataVersion)) {
        CloseRecordFile(fp);
        return nullptr;
    }
    return fp;
}

bool CloseRecordFile(FILE* fp) {
    if (!fp) return true;
    ForgetFileEnd(fp);
    const bool hadError = std::ferror(fp) != 0;
    return (std::fclose(fp) == 0) && !hadError;
}

RecordFileWriter::RecordFileWriter(const char* name) {
    if (!name || !name[0]) return;
    file_.emplace(name);
    ByteWriter out(file_->Stream());
    ok_ = out.Write(g_nDataVersion);
}

bool RecordFileWriter::Commit() {
    if (!ok_) return false;
    ok_ = false;
    return file_->Commit();
}

// ---- String lists --------------------------------------------------------------------

bool ReadList(ByteReader& in, std::vector<std::string>& list) {
    return ReadListWith(in, list, sizeof(uint32_t), std::string(),
                        [](ByteReader& r, std::string& s) { return r.ReadString(s); });
}

bool WriteList(ByteWriter& out, const std::vector<std::string>& list) {
    if (!out.WriteCount(list.size())) return false;
    for (const std::string& s : list)
        if (!out.WriteString(s)) return false;
    return true;
}

bool SaveStringList(std::vector<std::string>& list, FILE* fp) {
    ByteWriter out(fp);
    if (!out.WriteCount(list.size())) return false;
    for (std::string& text : list)
        if (!WriteLenString(text, fp)) return false;
    return true;
}

bool WriteLenString(std::string& text, FILE* fp) {
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    ByteWriter out(fp);
    return out.WriteString(text);
}

int ReadLenString(std::string& text, FILE* fp) {
    ByteReader in(fp);
    return in.ReadString(text) ? 1 : 0;
}
