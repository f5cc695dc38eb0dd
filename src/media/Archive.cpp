#include "media/Archive.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "media/Palette.h"
#include "platform/Host.h"
#include "platform/Messages.h"

namespace {
bool StartsWithIgnoreCase(const std::string& s, const char* head) {
    const std::size_t length = std::strlen(head);
    return s.size() >= length && strncasecmp(s.c_str(), head, length) == 0;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

const char* ArchiveKindName(ArchiveKind kind) {
    switch (kind) {
        case ArchiveKind::Pak: return "pak";
        case ArchiveKind::Zip: return "zip";
        case ArchiveKind::Wad: return "wad";
        case ArchiveKind::Folder: return "folder";
        case ArchiveKind::Game: return "game";
    }
    return "";
}

// --- The name index ---

namespace {
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;
constexpr std::uint64_t kLows = ~kHighs;

// The high bit of each byte of `x` that is zero, no other bit.
std::uint64_t ZeroBytes(std::uint64_t x) { return ~(((x & kLows) + kLows) | x) & kHighs; }

// Eight bytes of a name as lookups compare them: ASCII letters in lower case and,
// where asked, "\" as "/". A byte at a time this is most of a lookup's cost.
std::uint64_t FoldWord(std::uint64_t x, bool slashesAlike) {
    const std::uint64_t low = x & kLows;
    const std::uint64_t aboveZ = low + (0x7F - 'Z') * kOnes;  // high bit where the byte is past 'Z'
    const std::uint64_t fromA = low + (0x80 - 'A') * kOnes;   // high bit where it is 'A' or past it
    x |= (fromA & ~aboveZ & ~x & kHighs) >> 2;                 // + 0x20 for 'A' to 'Z'
    if (slashesAlike) {
        x ^= (ZeroBytes(x ^ ('\\' * kOnes)) >> 7) * static_cast<std::uint64_t>('\\' ^ '/');
    }
    return x;
}

// The name's bytes from `at`, eight or what is left (zeros after them).
std::uint64_t WordAt(const std::string& name, std::size_t at) {
    std::uint64_t word = 0;
    std::memcpy(&word, name.data() + at, std::min<std::size_t>(8, name.size() - at));
    return word;
}
}  // namespace

std::uint32_t Archive::NameIndex::Hash(const std::string& name) const {
    std::uint64_t h = 0x243F6A8885A308D3ull ^ name.size();
    for (std::size_t at = 0; at < name.size(); at += 8) {
        h = (h ^ FoldWord(WordAt(name, at), slashesAlike_)) * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

bool Archive::NameIndex::Same(const std::string& a, const std::string& b) const {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t at = 0; at < a.size(); at += 8) {
        if (FoldWord(WordAt(a, at), slashesAlike_) != FoldWord(WordAt(b, at), slashesAlike_)) {
            return false;
        }
    }
    return true;
}

void Archive::NameIndex::Clear() {
    slots_.clear();
    slots_.shrink_to_fit();
    used_ = 0;
}

void Archive::NameIndex::Reserve(std::size_t count) {
    // At most three quarters full, so a probe ends soon.
    std::size_t wanted = 16;
    while (wanted * 3 < count * 4) {
        wanted *= 2;
    }
    if (wanted > slots_.size()) {
        Rehash(wanted);
    }
}

void Archive::NameIndex::Rehash(std::size_t slotCount) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(slotCount, Slot{0, -1});
    const std::size_t mask = slotCount - 1;
    for (const Slot& slot : old) {
        if (slot.position < 0) {
            continue;
        }
        std::size_t i = slot.hash & mask;
        while (slots_[i].position >= 0) {
            i = (i + 1) & mask;
        }
        slots_[i] = slot;
    }
}

bool Archive::NameIndex::Insert(const std::vector<PakEntry>& entries, int position) {
    if ((used_ + 1) * 4 > slots_.size() * 3) {
        Reserve(used_ + 1);
    }
    const std::string& name = entries[static_cast<std::size_t>(position)].name;
    const std::uint32_t hash = Hash(name);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].position >= 0) {
        if (slots_[i].hash == hash && Same(entries[static_cast<std::size_t>(slots_[i].position)].name, name)) {
            return false;  // the first entry of a name is the one lookups find
        }
        i = (i + 1) & mask;
    }
    slots_[i] = Slot{hash, position};
    ++used_;
    return true;
}

int Archive::NameIndex::Find(const std::vector<PakEntry>& entries, const std::string& name) const {
    if (slots_.empty()) {
        return -1;
    }
    const std::uint32_t hash = Hash(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i].position >= 0; i = (i + 1) & mask) {
        if (slots_[i].hash == hash && Same(entries[static_cast<std::size_t>(slots_[i].position)].name, name)) {
            return slots_[i].position;
        }
    }
    return -1;
}

// --- Archive ---

Archive::Archive(bool slashesAlike) : index_(slashesAlike) {}

Archive::~Archive() = default;

const ConvertedPalette* Archive::GamePalette() {
    if (!paletteLookedFor_) {
        paletteLookedFor_ = true;
        // A PCX keeps its palette in its last 769 bytes: a 12 marker, then 256 x RGB.
        constexpr std::size_t kPaletteBytes = 768;
        constexpr std::size_t kPcxHeaderBytes = 128;
        constexpr std::uint8_t kPaletteMarker = 12;
        const PakEntry* entry = FindEntry("pics/colormap.pcx");
        const auto bytes = entry != nullptr ? ReadEntry(*entry) : std::nullopt;
        if (bytes && bytes->size() >= kPcxHeaderBytes + kPaletteBytes + 1 &&
            (*bytes)[bytes->size() - kPaletteBytes - 1] == kPaletteMarker) {
            palette_ = std::make_unique<ConvertedPalette>(ConvertPalette(bytes->data() + bytes->size() - kPaletteBytes, 3));
        }
    }
    return palette_.get();
}

std::string Archive::Description() const {
    return std::string(ArchiveKindName(Kind())) + ", " + EntryCountText();
}

std::string Archive::EntryCountText() const {
    return EntryCount() == 1 ? "1 entry" : std::to_string(EntryCount()) + " entries";
}

const PakEntry* Archive::FindEntry(const std::string& name) const {
    const int position = index_.Find(entries_, name);
    return position < 0 ? nullptr : &entries_[static_cast<std::size_t>(position)];
}

void Archive::ClearEntries() {
    entries_.clear();
    entries_.shrink_to_fit();
    index_.Clear();
}

void Archive::ReserveEntries(std::size_t count) {
    entries_.reserve(count);
    index_.Reserve(count);
}

bool Archive::AddEntry(PakEntry entry) {
    entries_.push_back(std::move(entry));
    return index_.Insert(entries_, static_cast<int>(entries_.size() - 1));
}

void Archive::AddEntryNotingDuplicate(PakEntry entry) {
    if (!AddEntry(std::move(entry))) {
        NoteProblem(msg::kEntryDuplicate, entries_.back().name);
    }
}

int Archive::FindPosition(const std::string& name) const { return index_.Find(entries_, name); }

std::optional<std::size_t> Archive::PositionOf(const PakEntry& entry) const {
    const std::less<const PakEntry*> before;
    if (entries_.empty() || before(&entry, entries_.data()) || !before(&entry, entries_.data() + entries_.size())) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(&entry - entries_.data());
}

void Archive::NoteProblem(const MessageText& message, const std::string& arg) {
    problems_.push_back(path_ + ": " + FormatMessage(message, arg));
}

void Archive::NoteProblem(const MessageText& message) { problems_.push_back(path_ + message.text); }

bool Archive::IsPicture(const PakEntry&) const { return false; }

bool Archive::LoadPicture(const PakEntry&, COGLImage&, bool, bool) { return false; }

Archive::Origin Archive::OriginOf(const PakEntry& entry) const { return Origin{this, &entry}; }

std::vector<Archive::Origin> Archive::HiddenBy(const PakEntry&) const { return {}; }

std::string Archive::PictureGroup(const PakEntry&) const { return {}; }

bool Archive::IsSelectableMdl(const PakEntry& entry) {
    const auto head = ReadEntryHead(entry, 12);
    if (!head || head->size() < 4) {
        return false;
    }
    if (std::memcmp(head->data(), "IDPO", 4) == 0) {
        return true;
    }
    // A studio model is selectable unless it is a texture or sequence-group file,
    // which carries no model of its own (its version field reads zero).
    if (std::memcmp(head->data(), "IDST", 4) == 0) {
        if (head->size() != 12) {
            return false;
        }
        BinaryReader version(*head);
        version.Seek(8);
        return version.ReadI32() != 0;
    }
    return false;
}

Archive::Listing Archive::ListingOf(const PakEntry& entry) {
    const std::string& name = entry.name;
    const std::string ext = name.size() >= 3 ? name.substr(name.size() - 3) : name;
    const auto extIs = [&](const char* wanted) { return strcasecmp(ext.c_str(), wanted) == 0; };
    // The Part's rules, each matched without regard to case: game data comes in any
    // case, and the engines find "MODELS/X.MD2" as they find "models/x.md2".
    bool add = false;
    if (extIs("md2")) {
        add = true;
    } else if (StartsWithIgnoreCase(name, "env") && extIs("tga")) {
        add = true;
    } else if (StartsWithIgnoreCase(name, "gfx/env") && extIs("tga")) {
        add = true;
    } else if (StartsWithIgnoreCase(name, "tex")) {
        add = true;
    } else if (extIs("def")) {
        add = true;
    } else if (extIs("mdl")) {
        add = IsSelectableMdl(entry);
    } else if (extIs("sp2") || extIs("spr")) {
        add = true;
    } else if (extIs("bsp")) {
        add = true;  // a map, opened as the scene's backdrop
    }
    return add ? Listing::ByPath : Listing::Skip;
}

void Archive::BuildDirectoryTree(PakTreeNode& root) {
    BeginBatch();
    ProgressScope progress(msg::kBuildingDirectoryTree.text, EntryCount() / 100 + 2);

    // Children are collected unsorted and sorted once at the end (stably, so files
    // of the same text keep directory order); the lookup of a directory among a
    // node's children goes through a hash of their texts instead of a scan.
    std::unordered_map<const PakTreeNode*, std::unordered_map<std::string, PakTreeNode*>> childByText;
    const auto findChild = [&](PakTreeNode& parent, const std::string& text) -> PakTreeNode* {
        auto [it, added] = childByText.try_emplace(&parent);
        if (added) {
            for (const auto& child : parent.children) {
                it->second.emplace(child->text, child.get());
            }
        }
        const auto found = it->second.find(text);
        return found == it->second.end() ? nullptr : found->second;
    };
    const auto addChild = [&](PakTreeNode& parent, const std::string& text, const PakEntry* entry) {
        parent.children.push_back(std::make_unique<PakTreeNode>());
        PakTreeNode* node = parent.children.back().get();
        node->text = text;
        node->entry = entry;
        const auto it = childByText.find(&parent);
        if (it != childByText.end()) {
            it->second.emplace(text, node);
        }
        return node;
    };

    std::string cachedDirectory;
    PakTreeNode* cachedNode = &root;
    for (int i = 0; i < EntryCount(); ++i) {
        const PakEntry& entry = entries_[static_cast<std::size_t>(i)];
        const std::string& name = entry.name;
        // A second entry of a name is never found by it: listing it would offer an
        // entry that opening by its name does not give.
        const Listing listing = FindPosition(name) == i ? ListingOf(entry) : Listing::Skip;
        if (listing == Listing::AsPicture) {
            // A picture's name is not a path: it is listed whole, under its group.
            const std::string group = PictureGroup(entry);
            PakTreeNode* parent = &root;
            if (!group.empty()) {
                PakTreeNode* child = findChild(root, group);
                parent = child != nullptr ? child : addChild(root, group, nullptr);
            }
            addChild(*parent, name, &entry);
        } else if (listing == Listing::ByPath) {
            std::size_t split = name.size();
            while (split > 0 && !IsSeparator(name[split - 1])) {
                --split;
            }
            const std::string directory = name.substr(0, split);  // with its separator
            const std::string file = name.substr(split);
            const std::string text = file.substr(0, file.find('.'));

            PakTreeNode* parent = nullptr;
            if (directory == cachedDirectory) {
                parent = cachedNode;
            } else {
                // A component ends at a separator, a dot or the end; only those that
                // end at a separator are directories.
                parent = &root;
                std::size_t start = 0;
                for (std::size_t pos = 0; pos < split; ++pos) {
                    const char c = name[pos];
                    if (c != '.' && !IsSeparator(c)) {
                        continue;
                    }
                    if (IsSeparator(c)) {
                        const std::string component = name.substr(start, pos - start);
                        PakTreeNode* child = findChild(*parent, component);
                        parent = child != nullptr ? child : addChild(*parent, component, nullptr);
                    }
                    start = pos + 1;
                }
                cachedDirectory = directory;
                cachedNode = parent;
            }
            // A model directory stands for its tris.md2. At the top level there is
            // no directory node to carry it, so it is listed as an item.
            if (strcasecmp(text.c_str(), "tris") == 0 && parent != &root) {
                parent->entry = &entry;
            } else {
                addChild(*parent, text, &entry);
            }
        }
        if (i % 100 == 0) {
            progress.Step();
        }
    }

    // Sort every level by text without regard to case, as file lists are shown.
    std::vector<PakTreeNode*> pending{&root};
    while (!pending.empty()) {
        PakTreeNode* node = pending.back();
        pending.pop_back();
        std::stable_sort(node->children.begin(), node->children.end(),
                         [](const std::unique_ptr<PakTreeNode>& a, const std::unique_ptr<PakTreeNode>& b) {
                             return strcasecmp(a->text.c_str(), b->text.c_str()) < 0;
                         });
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    EndBatch();
}

std::vector<Archive::Listed> Archive::ListedEntries() {
    PakTreeNode root;
    BuildDirectoryTree(root);
    std::vector<Listed> listed;
    // Walked by hand rather than recursing: a hostile archive can nest folders deeply.
    std::vector<const PakTreeNode*> pending{&root};
    while (!pending.empty()) {
        const PakTreeNode* node = pending.back();
        pending.pop_back();
        if (node->entry != nullptr) {
            listed.push_back({node->entry, node->text});
        }
        for (auto child = node->children.rbegin(); child != node->children.rend(); ++child) {
            pending.push_back(child->get());
        }
    }
    return listed;
}

std::optional<std::string> ExtractionPath(const std::string& name) {
    if (name.empty() || IsSeparator(name[0])) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(name.size());
    std::size_t start = 0;
    for (std::size_t pos = 0; pos <= name.size(); ++pos) {
        if (pos < name.size() && !IsSeparator(name[pos])) {
            const auto c = static_cast<unsigned char>(name[pos]);
            // A colon makes a drive ("c:") or a Windows stream; control characters
            // make names no listing shows.
            if (c < 0x20 || c == 0x7F || c == ':') {
                return std::nullopt;
            }
            continue;
        }
        const std::string_view component(name.data() + start, pos - start);
        if (component.empty() || component == "." || component == "..") {
            return std::nullopt;
        }
        if (!out.empty()) {
            out += '/';
        }
        out += component;
        start = pos + 1;
    }
    return out;
}
