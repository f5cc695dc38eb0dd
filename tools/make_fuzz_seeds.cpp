// Writes the fuzz seeds that the tests' own writers can make: one small valid
// file for each variant of each reader, into CORPUSDIR/fuzz_<reader>/ (run it
// with fuzz/corpus). Game folders are trees of such files in fuzz_game's input
// format. fuzz/make_seeds.py writes what these writers do not make
// (BMP depths and layouts, JPEG, palette files, raw skin indices); the sample
// tools add the sample models.
//
//   make_fuzz_seeds CORPUSDIR
//
// Scenes come in both versions the loader reads. Version 6 is what the scene's
// own Save writes, with every primitive, both light kinds, text, textures, a pak
// and a record of every model family. Version 5 is laid out by the tests' scene
// writer, as the scene tests make it: no field of view, and the MD2, player and
// SiN records without their interpolation byte; it also names a background
// picture, which a scene can only take with GL. The models these records name
// do not exist where the fuzz target looks, so their records are read and the
// models dropped. Re-running rewrites the same bytes.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FileListInput.h"
#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "models/COGLModel.h"
#include "models/ModelFamilies.h"
#include "models/halflife/StudioFixtures.h"
#include "models/sprite/COGLSprite.h"
#include "platform/BinaryIO.h"
#include "platform/Host.h"
#include "scene/COGLLight.h"
#include "scene/COGLScene.h"
#include "scene/COGLText.h"
#include "scene/ObjectFactory.h"
#include "scene/Primitives.h"
#include "scene/SceneFixture.h"
#include "scene/SceneFormat.h"
#include "scene/SceneViewLink.h"
#include "support/ArchiveWriters.h"
#include "support/MapWriters.h"
#include "support/MdlWriters.h"
#include "support/MediaWriters.h"
#include "support/ModelWriters.h"
#include "support/PlayerGame.h"
#include "support/SinWriters.h"
#include "support/SpriteWriters.h"
#include "support/StudioWriters.h"

namespace {
using namespace fixtures;

std::string g_corpus;
bool g_ok = true;

void Refuse(const std::string& what) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", what.c_str());
    g_ok = false;
}

void Put(const std::string& target, const std::string& name, const ByteBuffer& bytes) {
    const std::string folder = g_corpus + "/fuzz_" + target;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!WriteFileAtomically(folder + "/" + name, bytes)) {
        Refuse("cannot write " + folder + "/" + name);
    }
}

void Put(const std::string& target, const std::string& name, const std::string& text) {
    Put(target, name, ByteBuffer(text.begin(), text.end()));
}

Indices Ramp(int width, int height, int step = 37) {
    Indices pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<std::uint8_t>((i * static_cast<std::size_t>(step)) % 256);
    }
    return pixels;
}

ByteBuffer Stored(std::size_t count, int step) {
    ByteBuffer bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * static_cast<std::size_t>(step)) % 256);
    }
    return bytes;
}

// Pixels in runs of `run` equal ones, so run-length packets and literals both occur.
ByteBuffer Runs(std::size_t pixels, std::size_t bytesPerPixel, std::size_t run) {
    ByteBuffer bytes;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::size_t value = (i / run) % 2 == 0 ? i / run : i;
        for (std::size_t c = 0; c < bytesPerPixel; ++c) {
            bytes.push_back(static_cast<std::uint8_t>(value * 40 + c * 70));
        }
    }
    return bytes;
}

void Images() {
    for (const bool topLeft : {false, true}) {
        const std::string origin = topLeft ? "-topleft" : "-bottomleft";
        for (const int mapBits : {24, 32}) {
            TgaOptions o;
            o.type = 1;
            o.bits = 8;
            o.mapBits = mapBits;
            o.mapLength = 4;
            o.topLeft = topLeft;
            Put("tga", "mapped" + std::to_string(mapBits) + origin + ".tga",
                WriteTga(3, 2, ByteBuffer{0, 1, 2, 3, 2, 1}, o, Stored(4 * std::size_t(mapBits / 8), 61)));
        }
        for (const int bits : {24, 32}) {
            TgaOptions o;
            o.bits = bits;
            o.topLeft = topLeft;
            const std::size_t bytes = std::size_t(bits / 8);
            Put("tga", "true" + std::to_string(bits) + origin + ".tga", WriteTga(5, 3, Stored(15 * bytes, 23), o));
            o.type = 10;
            Put("tga", "rle" + std::to_string(bits) + origin + ".tga", WriteTga(5, 3, Runs(15, bytes, 3), o));
        }
    }
    TgaOptions manyColours;
    manyColours.type = 1;
    manyColours.bits = 8;
    manyColours.mapLength = 260;  // entries past 256 cannot be indexed
    Put("tga", "mapped-260.tga", WriteTga(2, 2, ByteBuffer{0, 255, 3, 128}, manyColours, Stored(260 * 3, 7)));

    Put("pcx", "ramp.seed", WritePcx(4, 4, Ramp(4, 4), DistinctPalette()));
    Put("pcx", "odd-padded.seed", WritePcx(5, 3, Ramp(5, 3, 71), DistinctPalette(), 8, 0xEE));
    Indices runs(70 * 2, 9);
    runs[69] = 255;  // a transparent pixel
    Put("pcx", "long-runs.seed", WritePcx(70, 2, runs, DistinctPalette()));

    Put("wal", "odd.seed", WriteWal(5, 3, Ramp(5, 3)));
    Indices hole = Ramp(4, 4);
    hole[5] = 255;
    Put("wal", "transparent.seed", WriteWal(4, 4, hole));
    std::array<std::uint8_t, 1024> palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        palette[i] = static_cast<std::uint8_t>((i * 13) % 256);
    }
    Put("swl", "odd.seed", WriteSwl(5, 3, Ramp(5, 3), palette));
    Put("swl", "square.seed", WriteSwl(4, 4, Ramp(4, 4, 64), palette));

    Put("bmp", "rle8.bmp", WriteBmpRle(8, 5, 3, DistinctPalette(), Indices{1, 1, 1, 2, 3, 4, 4, 4, 4, 4, 9, 8, 7, 7, 7}));
    Put("bmp", "rle4.bmp", WriteBmpRle(4, 5, 3, DistinctPalette(), Indices{1, 1, 1, 2, 3, 4, 4, 4, 4, 4, 9, 8, 7, 7, 7}));
}

void Paks() {
    PakBuilder quake2;
    quake2.Add("players/male/tris.md2", WriteMd2(MakeBoxModel({"stand01"}, {32})))
        .Add("players/male/skin.pcx", WritePcx(2, 2, Indices{1, 2, 3, 4}, DistinctPalette()))
        .Add("progs/box.mdl", WriteMdl(MakeBoxMdl({{"stand1"}})))
        .Add("textures/e1u1/wall.wal", WriteWal(2, 2, Indices{5, 6, 7, 8}))
        .Add("pics/colormap.pcx", std::string("not a picture"));
    Put("pak", "quake2-models.seed", quake2.Build());
    PakBuilder sin(true);
    sin.Add("models/box/box.def", SinDefText({"path models/box", "box.sbm", "idle.sam"}))
        .Add("models/box/box.sbm", WriteSbm(MakeSinBoxModel()))
        .Add("models/box/idle.sam", WriteSam(MakeSinBoxAnimation("idle", {32, 30})));
    Put("pak", "sin-models.seed", sin.Build());
    Put("pak", "empty-pack.seed", PakBuilder().Build());
    Put("pak", "empty-spak.seed", PakBuilder(true).Build());
}

// Players as the game keeps them, each game's folder in a pak of its own.
void Players() {
    const auto pakOf = [](const fixtures::PlayerFiles& files) {
        PakBuilder pak;
        for (const auto& [name, bytes] : files) {
            pak.Add(name, bytes);
        }
        return pak;
    };
    Put("players", "game-male.seed", pakOf(MalePlayerFiles()).Add("pics/colormap.pcx", ColormapPicture()).Build());
    Put("players", "community-duke.seed", pakOf(DukePlayerFiles()).Build());
}

ByteBuffer Pk3() {
    return ZipBuilder()
        .AddDirectory("models/")
        .Add("models/box/tris.md2", WriteMd2(MakeBoxModel({"stand01"}, {32})))
        .Add("models/box/skin.pcx", WritePcx(2, 2, Indices{1, 2, 3, 4}, DistinctPalette()), false)
        .Add("progs/box.mdl", WriteMdl(MakeBoxMdl({{"stand1"}})))
        .Add("models/scientist.mdl", StudioHead(10), false)
        .Add("models/scientistT.mdl", StudioHead(0))
        .Build();
}

WadBuilder::Colours Colours(std::size_t count) {
    WadBuilder::Colours colours(count);
    for (std::size_t i = 0; i < count; ++i) {
        colours[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(~i)};
    }
    return colours;
}

ByteBuffer Wad2() {
    return WadBuilder(false)
        .AddMip("wall1_1", 8, 8, Ramp(8, 8))
        .AddQpic("conback", 4, 2, Ramp(4, 2))
        .AddLump("palette", 0x40, ByteBuffer(768, 9))
        .AddLump("conchars", 0x44, ByteBuffer(64, 1))
        .Build();
}

ByteBuffer Wad3() {
    return WadBuilder(true)
        .AddMip("BRICK", 8, 8, Ramp(8, 8), Colours(256))
        .AddMip("{GRATE", 8, 4, Ramp(8, 4, 255), Colours(16))
        .AddQpic("lambda", 2, 2, Indices{0, 1, 2, 3}, Colours(4))
        .AddLump("font", 0x46, ByteBuffer(32, 2))
        .AddLump("decal", 0x40, ByteBuffer(32, 3))
        .Build();
}

void Archives() {
    Put("zip", "pk3-models.seed", Pk3());
    Put("zip", "stored.seed", ZipBuilder().Add("a.txt", "stored", false).Add("b/c.txt", "also stored", false).Build());
    Put("wad", "wad2.seed", Wad2());
    Put("wad", "wad3.seed", Wad3());

    using Files = std::vector<std::pair<std::string, ByteBuffer>>;
    const auto pak = [](const std::string& name, const std::string& text, bool sin = false) {
        return PakBuilder(sin).Add(name, text).Build();
    };
    const auto text = [](const std::string& s) { return ByteBuffer(s.begin(), s.end()); };
    const Files quake2 = {
        {"baseq2/pak0.pak", PakBuilder().Add("a.txt", "pak0").Add("players/male/tris.md2", "m").Build()},
        {"baseq2/pak1.pak", pak("a.txt", "pak1")},
        {"baseq2/pak3.pak", pak("b.txt", "pak3")},
        {"baseq2/extra.pk3", ZipBuilder().Add("a.txt", "zip").Add("models/x/tris.md2", "x").Build()},
        {"baseq2/a.txt", text("loose")},
        {"baseq2/Models/Y/tris.md2", text("y")},
        {"baseq2/walls.wad", WadBuilder(false).AddMip("wall", 2, 2, Indices{1, 2, 3, 4}).Build()},
    };
    Put("game", "quake2-root.seed", file_list::Encode({"", quake2}));
    Files mod = quake2;
    mod.push_back({"mymod/pak0.pak", pak("a.txt", "mod")});
    mod.push_back({"mymod/b.txt", text("mod loose")});
    Put("game", "quake2-mod.seed", file_list::Encode({"mymod", mod}));
    Put("game", "quake1-gap.seed",
        file_list::Encode({"id1", {{"id1/pak0.pak", pak("a.txt", "pak0")}, {"id1/pak2.pak", pak("a.txt", "pak2")},
                                    {"id1/gfx.wad", Wad2()}}}));
    Put("game", "half-life-mod.seed",
        file_list::Encode({"cstrike",
                           {{"valve/models/a.mdl", StudioHead(10)}, {"valve/halflife.wad", Wad3()},
                            {"valve_downloads/x.txt", text("valve downloads")},
                            {"cstrike/models/a.mdl", StudioHead(10)},
                            {"cstrike/cs.wad", WadBuilder(true).AddMip("brick", 2, 2, Indices{9, 9, 9, 9}, Colours(3)).Build()},
                            {"cstrike_downloads/x.txt", text("cs downloads")}}}));
    Put("game", "sin.seed",
        file_list::Encode({"base",
                           {{"base/pak0.sin", pak("a.txt", "pak0", true)}, {"base/pak1.sin", pak("a.txt", "pak1", true)},
                            {"base/extra.sin", pak("b.txt", "extra", true)}, {"base/models/box/box.def", text("box.sbm")}}}));
    Put("game", "plain-folder.seed",
        file_list::Encode({"stuff", {{"stuff/models/box/tris.md2", text("m")}, {"stuff/Models/box/skin.pcx", text("s")},
                                     {"stuff/pack.pk3", Pk3()}}}));
}

void Md2Models() {
    Md2Model plain = MakeBoxModel(NumberedFrames({{"stand", 3}, {"run", 2}, {"pain", 1}}), {32, 30, 28, 34, 36, 20});
    plain.skins = {"models/box/skin.pcx", "models/box/skin2.pcx"};
    Put("md2", "box-skins.seed", WriteMd2(plain));
    // A player body: no skins of its own, the player's animation names.
    Md2Model body = MakeBoxModel(NumberedFrames({{"stand", 2}, {"run", 2}, {"attack", 2}, {"pain", 1}, {"jump", 1},
                                                 {"flip", 1}, {"wave", 1}, {"crstnd", 1}, {"crdeath", 1}, {"death", 2}}),
                                 {});
    Put("md2", "player-body.seed", WriteMd2(body));
    ByteBuffer odd = WriteMd2(body);
    odd.push_back(0);  // the target reads odd-sized inputs the other way
    Put("md2", "player-body-odd.seed", odd);
    Md2Model tube = MakeTubeModel(4, 2, NumberedFrames({{"flap", 4}}));
    tube.skins = {"models/tube/skin.pcx"};
    tube.extraFrameBytes = 4;
    Put("md2", "tube-padded.seed", WriteMd2(tube));
}

void MdlModels() {
    Put("mdl", "simple.seed", WriteMdl(MakeBoxMdl({{"stand1"}, {"stand2"}, {"walk1"}})));
    Put("mdl", "groups.seed", WriteMdl(MakeBoxMdl({{"idle1", "idle2", "idle3"}, {"fly1", "fly2"}})));
    Put("mdl", "three-skins.seed", WriteMdl(MakeBoxMdl({{"stand1"}, {"run1", "run2"}, {"pain1"}}, 3)));
    MdlModel trailed = MakeBoxMdl({{"a1"}, {"b1", "b2"}});
    trailed.trailer = ByteBuffer{'e', 'd', 'i', 't', 'o', 'r'};
    Put("mdl", "trailer.seed", WriteMdl(trailed));
}

void Sprites() {
    Put("sprite", "sp2-one.seed", WriteSp2({Sp2Frame{8, 8, 4, 4, "sprites/s_one_0.pcx"}}));
    Put("sprite", "sp2-three.seed",
        WriteSp2({Sp2Frame{16, 16, 8, 8, "sprites/s_b_0.pcx"}, Sp2Frame{32, 8, 0, 0, "sprites/s_b_1.pcx"},
                  Sp2Frame{4, 64, 2, 63, "sprites/s_b_2.pcx"}}));
    const auto group = [](std::vector<SprPicture> pictures) {
        SprFrame f;
        f.group = true;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            f.times.push_back(0.1f * static_cast<float>(i + 1));
        }
        f.pictures = std::move(pictures);
        return f;
    };
    SprSprite quake1;
    quake1.frames = {SprFrame{false, {SolidPicture(4, 4, 4, true)}, {}},
                     group({SolidPicture(7, 2, 2), SolidPicture(9, 3, 1)}), SprFrame{false, {SolidPicture(1, 1, 1)}, {}}};
    Put("sprite", "quake1-group.seed", WriteSpr(quake1));
    for (int format = 0; format <= 3; ++format) {
        SprSprite hl;
        hl.version = 2;
        hl.textureFormat = format;
        hl.type = format;
        hl.frames = {SprFrame{false, {SolidPicture(static_cast<std::uint8_t>(10 + format), 4, 2, true)}, {}},
                     group({SolidPicture(3, 2, 2), SolidPicture(200, 2, 2)})};
        Put("sprite", "half-life-format" + std::to_string(format) + ".seed", WriteSpr(hl));
    }
    SprSprite fewColours;
    fewColours.version = 2;
    fewColours.colours = 16;
    fewColours.frames = {SprFrame{false, {SolidPicture(15, 3, 3)}, {}}};
    Put("sprite", "half-life-16-colours.seed", WriteSpr(fewColours));
}


void StudioModels() {
    const StudioModelDef plain = studio_fixtures::TestModel();
    Put("studio", "textured.seed", FrameStudioFiles({WriteStudioModel(plain)}));
    const StudioModelDef grouped = studio_fixtures::TestModel(true);
    Put("studio", "sequence-groups.seed",
        FrameStudioFiles(
            {WriteStudioModel(grouped), WriteStudioSequenceGroup(grouped, 1), WriteStudioSequenceGroup(grouped, 2)}));
    StudioModelDef texturesApart = studio_fixtures::TestModel();
    texturesApart.separateTextures = true;
    Put("studio", "texture-file.seed",
        FrameStudioFiles({WriteStudioModel(texturesApart), WriteStudioTextureFile(texturesApart)}));
    // Every table beside the skeleton: events, attachments, hit boxes, four blends, three skin families.
    Put("studio", "full.seed", FrameStudioFiles({WriteStudioModel(MakeFullStudioModel())}));
    Put("studio", "follower.seed", FrameStudioFiles({WriteStudioModel(MakeStudioFollower())}));
}

void SinModels() {
    Put("sin_def", "box.def", SinDefText({"path models/box", "scale 2", "box.sbm", "idle idle.sam", "run.sam",
                                          "red box_red.tga", "box.tga", "id 1 sides", "id 2 ends twosided"}));
    Put("sin_def", "comments.def",
        SinDefText({"// old.sbm", "/* a block", "gone.sam", "still.tga */ kept.sam", "box.sbm // the model",
                    "idle.sam /* inline */", "origin 0,0,8.5", "!init:", "server flags 0", "path a/b /* trailing"}));
    Put("sbm", "box.seed", WriteSbm(MakeSinBoxModel()));
    SbmSpec oneGroup = MakeSinBoxModel();
    oneGroup.groups.resize(1);
    Put("sbm", "one-group.seed", WriteSbm(oneGroup));
    Put("sam", "one-frame.seed", WriteSam(MakeSinBoxAnimation("still", {32})));
    Put("sam", "grow.seed", WriteSam(MakeSinBoxAnimation("grow", {16, 24, 32, 40}, 8.0f, 0.0f)));
}

// --- Scenes ---

// What a model record holds after the common record, as the version 5 loader
// reads it: MD2, player and SiN records lack the interpolation byte of their
// clock record (path, pak position, then 26 bytes of clock come before it).
ByteBuffer Version5ModelTail(const COGLObject& object) {
    BinaryWriter out;
    object.Save(out, -1);
    ByteBuffer tail(out.Bytes().begin() + static_cast<std::ptrdiff_t>(COGLObject::kRecordSize), out.Bytes().end());
    const int code = object.TypeCode();
    if (code == object_type::kMD2 || code == object_type::kPlayer || code == object_type::kSBM) {
        const std::size_t interpolate = scene_format::kPathFieldSize + 4 + 26;
        tail.erase(tail.begin() + static_cast<std::ptrdiff_t>(interpolate));
    }
    return tail;
}

struct ModelRecord {
    int code;
    const char* path;
};

const ModelRecord kModels[] = {
    {object_type::kMD2, "models/box/tris.md2"},          {object_type::kPlayer, "players/male/tris.md2"},
    {object_type::kSBM, "models/box/box.def"},           {object_type::kMDL, "progs/box.mdl"},
    {object_type::kSprite, "sprites/s_b.spr"},           {object_type::kHLModel, "models/figure.mdl"},
};

void Scenes() {
    // Textures and paks are saved by the path they were found at: make them here,
    // in a scratch folder, under short relative names.
    const std::string scratch = (std::filesystem::temp_directory_path() / "marovin-seeds-XXXXXX").string();
    std::vector<char> pattern(scratch.begin(), scratch.end());
    pattern.push_back('\0');
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.data()) != 0) {
        Refuse("cannot make a scratch folder");
        return;
    }
    PakBuilder pak;
    pak.Add("textures/wall.wal", WriteWal(2, 2, Indices{1, 2, 3, 4}));
    pak.Add("models/box/tris.md2", WriteMd2(MakeBoxModel({"stand01"}, {32})));
    SprSprite sprite;
    sprite.frames = {SprFrame{false, {SolidPicture(4)}, {}}};
    pak.Add("sprites/s_b.spr", WriteSpr(sprite));
    if (!WriteFileAtomically("pak0.pak", pak.Build()) ||
        !WriteFileAtomically("floor.pcx", WritePcx(2, 2, Indices{1, 2, 3, 4}, DistinctPalette()))) {
        Refuse("cannot write the scene's pak and texture");
        return;
    }

    COGLScene scene;
    scene.SetBackgroundColor(0.1f, 0.2f, 0.3f);
    scene.SetAmbient({0.25f, 0.3f, 0.35f, 1.0f});
    Archive* pak0 = scene.PakAt(scene.AddPak("pak0.pak"));
    auto onDisk = std::make_unique<COGLTexture2D>();
    auto inPak = std::make_unique<COGLTexture2D>();
    if (pak0 == nullptr || !onDisk->SetSource("floor.pcx", nullptr, 1) ||
        !inPak->SetSource("textures/wall.wal", pak0, 0)) {
        Refuse("cannot add the scene's pak and textures");
        return;
    }
    COGLTexture2D* floorTexture = scene.AddTexture(std::move(onDisk));
    COGLTexture2D* wallTexture = scene.AddTexture(std::move(inPak));

    scene.AddLight(std::make_unique<COGLPointLight>(1.0f, 2.0f, 3.0f))->SetName("Key");
    auto spot = std::make_unique<COGLSpotLight>(-1.0f, 4.0f, 2.0f);
    spot->SetCutOff(45.0f);
    spot->Marker().RotateX(30.0f);
    COGLLight* spotLight = scene.AddLight(std::move(spot));

    const int primitives[] = {object_type::kPlane,    object_type::kFloor,    object_type::kBox,  object_type::kSphere,
                              object_type::kRightWall, object_type::kLeftWall, object_type::kCeiling, object_type::kText,
                              object_type::kRod,      object_type::kCylinder, object_type::kCone, object_type::kDisk,
                              object_type::kBillboard};
    for (const int code : primitives) {
        auto object = CreateObject(code);
        object->SetName(ObjectClassName(code));
        object->SetPosition(static_cast<float>(code), 0.0f, 0.0f);
        scene.AddObject(std::move(object));
    }
    scene.ObjectAt(1)->SetTexture(floorTexture);
    scene.ObjectAt(2)->SetTexture(wallTexture);
    dynamic_cast<COGLPlane&>(*scene.ObjectAt(1)).SetPlaneFlag(1);
    auto& text = dynamic_cast<COGLText&>(*scene.ObjectAt(7));
    text.SetText("Seed");
    text.SetBold(true);
    text.SetExtrusion(0.5f);
    scene.AddShadowLight(spotLight);
    scene.AddShadowPlane(scene.ObjectAt(1));
    scene.EnableShadows(true);

    std::vector<COGLObject*> models;
    for (const ModelRecord& record : kModels) {
        auto object = CreateObject(record.code);
        if (auto* spriteObject = dynamic_cast<COGLSprite*>(object.get())) {
            // A sprite's path is set by reading it; without GL its pictures are
            // not made, but the path and pak stay for the record.
            const PakEntry* entry = pak0->FindEntry(record.path);
            if (entry == nullptr) {
                Refuse(std::string("no ") + record.path + " in the pak");
                return;
            }
            spriteObject->LoadFromPak(pak0, *entry);
            spriteObject->SetName(ObjectClassName(record.code));
            models.push_back(scene.AddObject(std::move(object)));
            continue;
        }
        auto* model = dynamic_cast<COGLModel*>(object.get());
        if (model == nullptr) {
            Refuse(std::string("no model class for ") + record.path);
            return;
        }
        // The first model is read from the pak, the others from disk (as is the sprite above).
        model->SetPakSource(models.empty() ? pak0 : nullptr, record.path);
        model->SetName(ObjectClassName(record.code));
        models.push_back(scene.AddObject(std::move(object)));
    }

    DefaultViewLink view;
    view.SetFieldOfView(60.0f);
    BinaryWriter v6;
    v6.WriteU32(scene_format::kMagic);
    v6.WriteI32(6);
    scene.Save(v6, view);
    Put("scene", "every-object-v6.dv", v6.Bytes());
    // The same with an extension area: a Half-Life pose block for the figure (a
    // follower named), one for a primitive, a block of an unknown tag and a cut one.
    {
        BinaryWriter area;
        area.WriteBytes("MVX1", 4);
        const auto block = [&area](const char* tag, const ByteBuffer& payload) {
            area.WriteBytes(tag, 4);
            area.WriteU32(static_cast<std::uint32_t>(payload.size()));
            area.WriteBytes(payload.data(), payload.size());
        };
        BinaryWriter pose;
        pose.WriteI32(scene.IndexOfObject(models.back()));
        pose.WriteI32(1);  // layout
        pose.WriteI32(5);  // body
        pose.WriteI32(2);  // skin family
        for (const float v : {90.0f, -20.0f, 0.0f, 0.0f, 3.0f, 45.0f, -10.0f}) {
            pose.WriteF32(v);
        }
        pose.WriteU8(1);
        pose.WriteText("models/p_tool.mdl", scene_format::kPathFieldSize);
        pose.WriteI32(-1);
        pose.WriteI32(0);
        pose.WriteZeros(36);
        block("OBJX", pose.Bytes());
        BinaryWriter primitive;
        primitive.WriteI32(0);
        primitive.WriteI32(1);
        block("OBJX", primitive.Bytes());
        block("ZZZZ", ByteBuffer{1, 2, 3});
        area.WriteBytes("OBJX", 4);
        area.WriteU32(1000);
        ByteBuffer extended = v6.Bytes();
        extended.insert(extended.end(), area.Bytes().begin(), area.Bytes().end());
        Put("scene", "extension-area-v6.dv", extended);
    }

    fixture::Scene v5;
    v5.version = 5;
    v5.paks = {"pak0.pak"};
    v5.background_image = fixture::Texture{-1, 0, "sky.pcx"};
    v5.textures = {fixture::Texture{-1, 1, "floor.pcx"}, fixture::Texture{0, 0, "textures/wall.wal"}};
    fixture::Light point;
    fixture::Light spot5;
    spot5.kind = scene_format::kSpotLightKind;
    spot5.name = "Spot Light";
    v5.lights = {point, spot5};
    v5.shadows = 1;
    v5.shadowLights[0] = 1;
    v5.shadowPlanes[0] = 1;
    for (const int code : primitives) {
        fixture::Object o;
        o.code = code;
        o.name = ObjectClassName(code);
        if (code == object_type::kText) {
            o.text = fixture::TextBlock{};
        } else if (dynamic_cast<COGLPlane*>(CreateObject(code).get()) != nullptr) {
            o.planeFlag = 1;
        }
        o.textureIndex = code == object_type::kBox ? 0 : -1;
        v5.objects.push_back(o);
    }
    for (const COGLObject* model : models) {
        fixture::Object o;
        o.code = model->TypeCode();
        o.name = model->Name();
        o.extra = Version5ModelTail(*model);
        v5.objects.push_back(o);
    }
    Put("scene", "every-object-v5.dv", fixture::Write(v5));
    std::error_code ec;
    std::filesystem::remove_all(pattern.data(), ec);
}
}  // namespace

// The test room of each game, and Half-Life's with its first two lumps swapped.
void Maps() {
    for (const auto& [kind, name] : {std::pair{MapKind::Quake2, "quake2"}, std::pair{MapKind::Quake1, "quake1"},
                                     std::pair{MapKind::HalfLife, "halflife"}}) {
        Put("map", std::string(name) + "-room.bsp", WriteRoomMap(kind, RoomWorldspawn(kind)).Build());
    }
    MapWriter swapped = WriteRoomMap(MapKind::HalfLife, RoomWorldspawn(MapKind::HalfLife));
    swapped.SetSwapFirstLumps(true);
    Put("map", "halflife-swapped-room.bsp", swapped.Build());
}

int main(int argc, char** argv) {
    // An option is never a folder to fill ("--help" would become one).
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: make_fuzz_seeds CORPUSDIR\n");
        return 2;
    }
    g_corpus = std::filesystem::absolute(argv[1]).string();
    HeadlessHost host;
    host.quiet = true;
    SetHost(&host);
    RegisterModelClasses();
    Images();
    Paks();
    Players();
    Archives();
    Md2Models();
    MdlModels();
    Sprites();
    StudioModels();
    SinModels();
    Scenes();
    Maps();
    return g_ok ? 0 : 1;
}
