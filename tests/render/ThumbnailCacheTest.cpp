// The thumbnail cache and the contact sheet: what is kept is used while it is
// current and read back whole, and drawn again otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ThumbnailFixtures.h"
#include "media/OpenArchive.h"
#include "models/ModelFamilies.h"
#include "platform/FileSystem.h"
#include "render/ContactSheet.h"
#include "render/ThumbnailCache.h"
#include "support/ArchiveWriters.h"
#include "support/TestSupport.h"

namespace {
using namespace thumbs;

class ThumbnailCacheTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        RegisterModelClasses();
        dir_.Write("game/tube/skin.pcx", SolidPcx(64, 64, 1));
        model_ = dir_.Write("game/tube/tris.md2", TubeMd2("models/tube/skin.pcx"));
    }

    std::string Cache() const { return dir_.Path() + "/cache/"; }
    // Moves the file's time a minute on, as an editor saving it would.
    static void Touch(const std::string& path) {
        std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::minutes(1));
    }

    TempDir dir_;
    std::string model_;
};

TEST_F(ThumbnailCacheTest, SecondRequestIsAnsweredFromTheCacheWithoutDrawing) {
    Thumbnailer thumbnailer(Cache());
    const ThumbnailRequest request{"", model_, 64, 1};
    const Thumbnailer::Result first = thumbnailer.Get(request);
    ASSERT_TRUE(first.ok) << first.reason;
    EXPECT_FALSE(first.fromCache);
    EXPECT_EQ(thumbnailer.Renderer().Draws(), 1);
    EXPECT_EQ(first.pngPath.rfind(Cache(), 0), 0u);
    EXPECT_TRUE(fs_util::FileExists(first.pngPath));

    // Another thumbnailer (another worker) finds it as well.
    Thumbnailer later(Cache());
    const Thumbnailer::Result second = later.Get(request);
    ASSERT_TRUE(second.ok) << second.reason;
    EXPECT_TRUE(second.fromCache);
    EXPECT_EQ(later.Renderer().Draws(), 0);
    EXPECT_EQ(second.pngPath, first.pngPath);
    EXPECT_EQ(second.facts, first.facts);
    EXPECT_EQ(second.picture.pixels, first.picture.pixels);

    // Another size, another strip, another name of the same file: other thumbnails.
    EXPECT_FALSE(later.Get({"", model_, 32, 1}).fromCache);
    EXPECT_FALSE(later.Get({"", model_, 64, 2}).fromCache);
    EXPECT_EQ(later.Renderer().Draws(), 2);
}

TEST_F(ThumbnailCacheTest, ChangedSourcesMakeTheirThumbnailsStale) {
    Thumbnailer thumbnailer(Cache());
    const std::string pak = dir_.Write("models.pk3", fixtures::ZipBuilder()
                                                         .Add("models/tube/tris.md2", TubeMd2("models/tube/skin.pcx"))
                                                         .Add("models/tube/skin.pcx", SolidPcx(64, 64, 1))
                                                         .Build());
    const ThumbnailRequest inPak{pak, "models/tube/tris.md2", 64, 1};
    const Thumbnailer::Result red = thumbnailer.Get(inPak);
    ASSERT_TRUE(red.ok) << red.reason;
    EXPECT_TRUE(thumbnailer.Get(inPak).fromCache);

    // The archive rewritten with a blue skin: drawn again, from the new archive.
    dir_.Write("models.pk3", fixtures::ZipBuilder()
                                 .Add("models/tube/tris.md2", TubeMd2("models/tube/skin.pcx"))
                                 .Add("models/tube/skin.pcx", SolidPcx(64, 64, 2))
                                 .Build());
    Touch(pak);
    const Thumbnailer::Result blue = thumbnailer.Get(inPak);
    ASSERT_TRUE(blue.ok) << blue.reason;
    EXPECT_FALSE(blue.fromCache);
    EXPECT_NE(blue.pngPath, red.pngPath);
    const std::vector<int> colour = MiddleColour(blue.picture);
    EXPECT_GT(colour[2], colour[0] + 60);

    // A file touched, and a loose file of a folder rewritten in place.
    const ThumbnailRequest file{"", model_, 64, 1};
    const ThumbnailRequest inFolder{dir_.Path() + "/game", "tube/tris.md2", 64, 1};
    ASSERT_TRUE(thumbnailer.Get(file).ok);
    ASSERT_TRUE(thumbnailer.Get(inFolder).ok);
    Touch(model_);
    EXPECT_FALSE(thumbnailer.Get(file).fromCache);
    EXPECT_FALSE(thumbnailer.Get(inFolder).fromCache);
    EXPECT_EQ(thumbnailer.Renderer().Draws(), 6);
}

// The files in the cache folder, by name.
std::vector<std::string> CacheFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        names.push_back(file.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ThumbnailCacheTest, AThumbnailIsCurrentWhileEveryFileItWasDrawnFromIs) {
    // A mod beside its game: the body in the mod, its skin a loose file of the game's.
    const std::string skin = dir_.Write("quake2/baseq2/models/tube/skin.pcx", SolidPcx(64, 64, 1));
    dir_.Write("quake2/mymod/models/tube/tris.md2", TubeMd2("models/tube/skin.pcx"));
    const ThumbnailRequest request{dir_.Path() + "/quake2/mymod", "models/tube/tris.md2", 64, 1};
    Thumbnailer thumbnailer(Cache());
    const Thumbnailer::Result red = thumbnailer.Get(request);
    ASSERT_TRUE(red.ok) << red.reason;
    EXPECT_GT(MiddleColour(red.picture)[0], MiddleColour(red.picture)[2] + 60);
    EXPECT_TRUE(thumbnailer.Get(request).fromCache);

    // The skin rewritten in place, no folder's time moving: drawn again in blue,
    // and the red picture no longer kept.
    dir_.Write("quake2/baseq2/models/tube/skin.pcx", SolidPcx(64, 64, 2));
    Touch(skin);
    const Thumbnailer::Result blue = thumbnailer.Get(request);
    ASSERT_TRUE(blue.ok) << blue.reason;
    EXPECT_FALSE(blue.fromCache);
    EXPECT_GT(MiddleColour(blue.picture)[2], MiddleColour(blue.picture)[0] + 60);
    EXPECT_NE(blue.pngPath, red.pngPath);
    EXPECT_FALSE(fs_util::FileExists(red.pngPath));
    EXPECT_EQ(CacheFiles(Cache()).size(), 2u);  // one picture and its facts

    // A new pak in the game's folder can hide any of its files.
    EXPECT_TRUE(thumbnailer.Get(request).fromCache);
    dir_.Write("quake2/baseq2/pak0.pak", fixtures::PakBuilder().Add("readme.txt", std::string("new")).Build());
    EXPECT_FALSE(thumbnailer.Get(request).fromCache);
    EXPECT_EQ(thumbnailer.Renderer().Draws(), 3);
}

TEST_F(ThumbnailCacheTest, TheCacheIsKeptWithinItsLimitLeastRecentlyUsedFirst) {
    std::vector<ThumbnailRequest> requests;
    for (const char* name : {"a", "b", "c"}) {
        requests.push_back({"", dir_.Write(std::string("models/") + name + ".md2", TubeMd2("tube/skin.pcx")), 64, 1});
    }
    std::uint64_t one = 0;  // what one thumbnail takes
    {
        Thumbnailer measuring(Cache());
        ASSERT_TRUE(measuring.Get(requests[0]).ok);
        for (const auto& file : std::filesystem::directory_iterator(Cache())) {
            one += std::filesystem::file_size(file.path());
        }
    }
    // Room for two and a half.
    Thumbnailer thumbnailer(Cache(), one * 5 / 2);
    const Thumbnailer::Result a = thumbnailer.Get(requests[0]);
    EXPECT_TRUE(a.fromCache);
    const Thumbnailer::Result b = thumbnailer.Get(requests[1]);
    ASSERT_TRUE(b.ok && !b.fromCache);
    const auto factsOf = [](const Thumbnailer::Result& result) {
        return result.pngPath.substr(0, result.pngPath.rfind('-')) + ".json";
    };
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(factsOf(a), now - std::chrono::minutes(20));
    std::filesystem::last_write_time(factsOf(b), now - std::chrono::minutes(10));
    // Used again, a is now the newest; a picture no facts name is nobody's.
    EXPECT_TRUE(thumbnailer.Get(requests[0]).fromCache);
    const std::string stray = a.pngPath.substr(0, a.pngPath.rfind('-')) + "-0123456789abcdef.png";
    dir_.Write("cache/" + fs_util::FileNameOf(stray), std::string("left by a worker that stopped"));

    // A third thumbnail passes the limit: b, the least recently used, goes.
    const Thumbnailer::Result c = thumbnailer.Get(requests[2]);
    ASSERT_TRUE(c.ok && !c.fromCache);
    EXPECT_FALSE(fs_util::FileExists(stray));
    EXPECT_FALSE(fs_util::FileExists(b.pngPath));
    EXPECT_FALSE(fs_util::FileExists(factsOf(b)));
    std::vector<std::string> kept;
    for (const std::string& path : {factsOf(a), a.pngPath, factsOf(c), c.pngPath}) {
        kept.push_back(fs_util::FileNameOf(path));
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(CacheFiles(Cache()), kept);
    EXPECT_TRUE(thumbnailer.Get(requests[0]).fromCache);
    EXPECT_FALSE(thumbnailer.Get(requests[1]).fromCache);
}

TEST_F(ThumbnailCacheTest, FilesThatDoNotReadBackWholeAreDrawnAgain) {
    Thumbnailer thumbnailer(Cache());
    const ThumbnailRequest request{"", model_, 64, 1};
    const Thumbnailer::Result kept = thumbnailer.Get(request);
    ASSERT_TRUE(kept.ok);
    const std::string facts = kept.pngPath.substr(0, kept.pngPath.rfind('-')) + ".json";

    const auto expectRedrawn = [&](const std::string& what) {
        const int draws = thumbnailer.Renderer().Draws();
        const Thumbnailer::Result again = thumbnailer.Get(request);
        EXPECT_TRUE(again.ok) << what;
        EXPECT_FALSE(again.fromCache) << what;
        EXPECT_EQ(thumbnailer.Renderer().Draws(), draws + 1) << what;
        EXPECT_EQ(again.picture.pixels, kept.picture.pixels) << what;
        EXPECT_TRUE(thumbnailer.Get(request).fromCache) << what << ": kept again";
    };
    dir_.Write("cache/" + fs_util::FileNameOf(kept.pngPath), std::string("\x89PNG\r\n not really"));
    expectRedrawn("a PNG cut short");
    WritePng(kept.pngPath, PngImage{32, 32, 4, std::vector<std::uint8_t>(32 * 32 * 4, 0)});
    expectRedrawn("a PNG of another size");
    dir_.Write("cache/" + fs_util::FileNameOf(facts), std::string("{\"family\":\"md2\",\"fra"));
    expectRedrawn("facts cut short");
    std::filesystem::remove(facts);
    expectRedrawn("facts missing");
}

TEST_F(ThumbnailCacheTest, WithoutAUsableCacheEveryThumbnailIsDrawn) {
    dir_.Write("occupied", std::string("a file where the cache folder would be"));
    Thumbnailer thumbnailer(dir_.Path() + "/occupied/thumbnails/");
    EXPECT_FALSE(thumbnailer.Cache().Usable());
    for (int i = 0; i < 2; ++i) {
        const Thumbnailer::Result result = thumbnailer.Get({"", model_, 64, 1});
        EXPECT_TRUE(result.ok);
        EXPECT_FALSE(result.fromCache);
        EXPECT_TRUE(result.pngPath.empty());
    }
    EXPECT_EQ(thumbnailer.Renderer().Draws(), 2);
}

TEST_F(ThumbnailCacheTest, TheCacheLivesInTheUsersCacheFolder) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::string savedCache = cache != nullptr ? cache : "";
    const std::string savedHome = home != nullptr ? home : "";
    ::setenv("XDG_CACHE_HOME", "/var/cache/someone", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(DefaultThumbnailDirectory(), "/var/cache/someone/marovin/thumbnails/");
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(DefaultThumbnailDirectory(), "/home/someone/.cache/marovin/thumbnails/");
    ::unsetenv("HOME");
    EXPECT_EQ(DefaultThumbnailDirectory(), "");
    cache != nullptr ? ::setenv("XDG_CACHE_HOME", savedCache.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
    home != nullptr ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
}

TEST_F(ThumbnailCacheTest, SheetShowsEveryListedEntryWithPlaceholdersForFailures) {
    ByteBuffer broken = TubeMd2("x.pcx");
    broken.resize(90);
    const std::string pak = dir_.Write(
        "pack.pk3", fixtures::ZipBuilder()
                        .Add("models/tube/tris.md2", TubeMd2("models/tube/skin.pcx"))
                        .Add("models/tube/skin.pcx", SolidPcx(64, 64, 1))
                        .Add("models/broken/tris.md2", broken)
                        .Add("models/tall/tris.md2", GrowingBoxMd2("x.pcx", {"a1"}, {60.0f}))
                        .Add("sprites/tall.spr", TallSprite())
                        .Add("readme.txt", std::string("not listed"))
                        .Build());
    std::unique_ptr<Archive> archive = OpenArchive(pak);
    ASSERT_NE(archive, nullptr);
    std::vector<std::string> names;
    for (const SheetEntry& entry : SheetEntries(*archive, "MODELS/T")) {
        names.push_back(entry.name + "=" + entry.label);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"models/tall/tris.md2=tall", "models/tube/tris.md2=tube"}));
    // Names the tree shows alike take the folders above them that tell them apart.
    const std::string players = dir_.Write(
        "players.pk3", fixtures::ZipBuilder()
                           .Add("players/male/weapon.md2", TubeMd2("x.pcx"))
                           .Add("players/female/weapon.md2", TubeMd2("x.pcx"))
                           .Add("mods/a/players/male/weapon.md2", TubeMd2("x.pcx"))
                           .Add("models/weapon/tris.md2", TubeMd2("x.pcx"))
                           .Add("models/tube/tris.md2", TubeMd2("x.pcx"))
                           .Build());
    std::unique_ptr<Archive> alike = OpenArchive(players);
    ASSERT_NE(alike, nullptr);
    names.clear();
    for (const SheetEntry& entry : SheetEntries(*alike, "")) {
        names.push_back(entry.name + "=" + entry.label);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"models/tube/tris.md2=tube", "models/weapon/tris.md2=models/weapon",
                                               "mods/a/players/male/weapon.md2=a/players/male/weapon",
                                               "players/female/weapon.md2=female/weapon",
                                               "players/male/weapon.md2=players/male/weapon"}));

    Thumbnailer thumbnailer(Cache());
    std::string reason;
    const auto sheet = MakeContactSheet(thumbnailer, pak, {48, 3, ""}, reason);
    ASSERT_TRUE(sheet.has_value()) << reason;
    // Four entries in rows of three: two rows of a thumbnail, a gap and a name each.
    const int cellHeight = 48 + 3 + ThumbnailRenderer::kLabelHeight;
    EXPECT_EQ(sheet->picture.width, 12 * 2 + 3 * 48 + 2 * 12);
    EXPECT_EQ(sheet->picture.height, 12 * 2 + 2 * cellHeight + 12);
    ASSERT_EQ(sheet->failures.size(), 1u);
    EXPECT_EQ(sheet->failures[0].name, "models/broken/tris.md2");
    EXPECT_EQ(sheet->failures[0].reason, "Not a valid MD2 File");
    EXPECT_TRUE(sheet->labelProblem.empty()) << sheet->labelProblem;
    WritePng(TestOutputDirectory() + "/thumbnail-sheet.png", sheet->picture);

    // Opaque throughout; the background in the corner, the names in light ink
    // under each cell, and the red tube in the third cell of the first row.
    EXPECT_EQ(Pixel(sheet->picture, 0, 0)[3], 255);
    const auto hasInk = [&](int cellX, int cellY) {
        for (int y = 0; y < ThumbnailRenderer::kLabelHeight; ++y) {
            for (int x = 0; x < 48; ++x) {
                const int px = 12 + cellX * 60 + x;
                const int py = 12 + cellY * (cellHeight + 12) + 51 + y;
                if (Pixel(sheet->picture, px, py)[0] > 150) {
                    return true;
                }
            }
        }
        return false;
    };
    for (int cell = 0; cell < 4; ++cell) {
        EXPECT_TRUE(hasInk(cell % 3, cell / 3)) << cell;
    }
    const std::uint8_t* tube = Pixel(sheet->picture, 12 + 2 * 60 + 24, 12 + 24);
    EXPECT_GT(tube[0], tube[1] + 60);

    // The second sheet comes from the cache; a filter that matches nothing fails.
    const int draws = thumbnailer.Renderer().Draws();
    ASSERT_TRUE(MakeContactSheet(thumbnailer, pak, {48, 3, "tube"}, reason).has_value());
    EXPECT_EQ(thumbnailer.Renderer().Draws(), draws);
    EXPECT_FALSE(MakeContactSheet(thumbnailer, pak, {48, 3, "nothing"}, reason).has_value());
    EXPECT_EQ(reason, "'" + pak + "' lists nothing whose name holds 'nothing'");
}

}  // namespace
