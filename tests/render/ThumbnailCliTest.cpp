// Thumbnails as their users reach them: the worker through pipes, marovin-cli's
// thumbnail and sheet commands, and the thumbnailer run the way file managers
// run it, in a sandbox that shows it nothing but its input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ThumbnailFixtures.h"
#include "support/ArchiveWriters.h"
#include "support/RunCommand.h"
#include "support/TestSupport.h"

namespace {
using namespace thumbs;

// An answer's fields, split at its tabs.
std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields{""};
    for (const char c : line) {
        if (c == '\t') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

// A worker process with its stdin and stdout on pipes, the environment changed
// by `env` (an empty value unsets the variable).
class Worker {
public:
    Worker(const std::vector<std::string>& command, const std::map<std::string, std::string>& env) {
        int toChild[2];
        int fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(toChild[0], STDIN_FILENO);
            ::dup2(fromChild[1], STDOUT_FILENO);
            for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
                ::close(fd);
            }
            for (const auto& [name, value] : env) {
                value.empty() ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), value.c_str(), 1);
            }
            std::vector<char*> argv;
            for (const std::string& arg : command) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        in_ = toChild[1];
        out_ = fromChild[0];
    }
    ~Worker() {
        CloseInput();
        if (out_ >= 0) {
            ::close(out_);
        }
        if (pid_ > 0 && exitCode_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // Sends one request line and waits (at most a minute) for its answer.
    std::string Ask(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            return "(cannot write)";
        }
        std::string answer;
        char c = 0;
        pollfd ready{out_, POLLIN, 0};
        while (::poll(&ready, 1, 60000) == 1 && ::read(out_, &c, 1) == 1) {
            if (c == '\n') {
                return answer;
            }
            answer.push_back(c);
        }
        return answer + "(no answer)";
    }
    void CloseInput() {
        if (in_ >= 0) {
            ::close(in_);
            in_ = -1;
        }
    }
    // Closes its input and waits for it to end.
    int Finish() {
        CloseInput();
        int status = 0;
        if (exitCode_ < 0 && pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        }
        return exitCode_;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int exitCode_ = -1;
};

class ThumbnailCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.Write("game/models/tube/skin.pcx", SolidPcx(64, 64, 1));
        model_ = dir_.Write("game/models/tube/tris.md2", TubeMd2("models/tube/skin.pcx", {{"stand", 5}, {"run", 3}}));
    }
    std::map<std::string, std::string> CacheEnv() const { return {{"XDG_CACHE_HOME", dir_.Path() + "/cache"}}; }
    std::string CacheDir() const { return dir_.Path() + "/cache/marovin/thumbnails/"; }
    CommandOutput Cli(const std::string& arguments) const {
        return RunCommand("XDG_CACHE_HOME=" + dir_.Path() + "/cache " + MAROVIN_CLI + " " + arguments + " 2>&1");
    }

    TempDir dir_;
    std::string model_;
};

TEST_F(ThumbnailCliTest, WorkerAnswersEveryRequestInOrderAsItComes) {
    Worker worker({MAROVIN_CLI, "thumbnail-worker"}, CacheEnv());
    const std::vector<std::string> ok = Split(worker.Ask("1\t64\t1\t\t" + model_));
    ASSERT_EQ(ok.size(), 4u) << ok[0];
    EXPECT_EQ(ok[0], "ok");
    EXPECT_EQ(ok[1], "1");
    EXPECT_EQ(ok[2].rfind(CacheDir(), 0), 0u) << ok[2];
    EXPECT_EQ(ok[3], "{\"family\":\"md2\",\"frames\":8,\"animations\":[\"stand\",\"run\",\"<all>\"],\"skins\":1,"
                     "\"width\":64,\"height\":64,\"tiles\":1}");
    const auto picture = ReadPng(ok[2]);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 64);
    EXPECT_EQ(picture->channels, 4);

    const std::vector<std::string> strip = Split(worker.Ask("22\t32\t3\t" + dir_.Path() + "/game\tmodels/tube/tris.md2"));
    ASSERT_EQ(strip.size(), 4u) << strip[0];
    EXPECT_EQ(strip[0] + strip[1], "ok22");
    EXPECT_NE(strip[3].find("\"tiles\":3}"), std::string::npos) << strip[3];
    EXPECT_EQ(ReadPng(strip[2]).value_or(PngImage{}).width, 96);

    EXPECT_EQ(worker.Ask("3\t64\t1\t" + dir_.Path() + "/game\tmodels/none.md2"),
              "fail\t3\tno entry 'models/none.md2' in '" + dir_.Path() + "/game'");
    EXPECT_EQ(worker.Ask("4\t64\t1\t\t" + dir_.Write("notes.txt", std::string("text"))),
              "fail\t4\tnot a model or picture the program reads");
    EXPECT_EQ(worker.Ask("what is this"), "fail\t0\tmalformed request: the id is not a decimal number");
    EXPECT_EQ(worker.Ask(""), "fail\t0\tmalformed request: the id is not a decimal number");
    EXPECT_EQ(worker.Ask("5\t64\t1"), "fail\t5\tmalformed request: 5 fields separated by tabs are expected");
    EXPECT_EQ(worker.Ask("6\t8\t1\t\tx.md2"), "fail\t6\tmalformed request: the size must be 16 to 1024");
    EXPECT_EQ(worker.Ask("7\t64\t0\t\tx.md2"), "fail\t7\tmalformed request: the frames must be 1 or more");
    EXPECT_EQ(worker.Ask("8\t64\t1\t\t"), "fail\t8\tmalformed request: no name");
    // It goes on after all that, and a line ended the Windows way is the same request.
    EXPECT_EQ(worker.Ask("9\t64\t1\t\t" + model_ + "\r"), "ok\t9\t" + ok[2] + "\t" + ok[3]);
    EXPECT_EQ(worker.Finish(), 0);
}

TEST_F(ThumbnailCliTest, WorkerAnswersFromTheCacheWithoutDrawingAgain) {
    std::string path;
    struct stat drawn {};
    {
        Worker first({MAROVIN_CLI, "thumbnail-worker"}, CacheEnv());
        const std::vector<std::string> answer = Split(first.Ask("1\t64\t1\t\t" + model_));
        ASSERT_EQ(answer[0], "ok");
        path = answer[2];
        ASSERT_EQ(::stat(path.c_str(), &drawn), 0);
        EXPECT_EQ(first.Finish(), 0);
    }
    // The window's own binary is a worker too, without any display.
    Worker second({MAROVIN_APP, "--thumbnail-worker"}, {{"XDG_CACHE_HOME", dir_.Path() + "/cache"}, {"DISPLAY", ""}});
    const std::vector<std::string> answer = Split(second.Ask("2\t64\t1\t\t" + model_));
    ASSERT_EQ(answer[0], "ok") << answer[1];
    EXPECT_EQ(answer[2], path);
    struct stat kept {};
    ASSERT_EQ(::stat(path.c_str(), &kept), 0);
    // Not written again: the same file, untouched.
    EXPECT_EQ(kept.st_ino, drawn.st_ino);
    EXPECT_EQ(kept.st_mtim.tv_sec, drawn.st_mtim.tv_sec);
    EXPECT_EQ(kept.st_mtim.tv_nsec, drawn.st_mtim.tv_nsec);
    EXPECT_EQ(second.Finish(), 0);
}

TEST_F(ThumbnailCliTest, WorkerWithoutACacheKeepsItsPicturesUntilItEnds) {
    const std::string tmp = dir_.Path() + "/tmp";
    std::filesystem::create_directories(tmp);
    Worker worker({MAROVIN_CLI, "thumbnail-worker"}, {{"XDG_CACHE_HOME", ""}, {"HOME", ""}, {"TMPDIR", tmp}});
    const std::vector<std::string> answer = Split(worker.Ask("1\t64\t1\t\t" + model_));
    ASSERT_EQ(answer[0], "ok") << answer[1];
    EXPECT_EQ(answer[2].rfind(tmp + "/marovin-thumbnails-", 0), 0u) << answer[2];
    EXPECT_TRUE(ReadPng(answer[2]).has_value());
    EXPECT_EQ(worker.Finish(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(answer[2]).parent_path()));
}

TEST_F(ThumbnailCliTest, ThumbnailCommandWritesTheSizeAskedOrSaysWhyNot) {
    const std::string out = dir_.File("thumb.png");
    CommandOutput run = Cli("thumbnail -s 96 " + model_ + " " + out);
    ASSERT_EQ(run.exitCode, 0) << run.text;
    auto picture = ReadPng(out);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 96);
    EXPECT_EQ(picture->height, 96);
    ExpectFramed(*picture);

    const std::string pak = dir_.Write("skins.pk3", fixtures::ZipBuilder().Add("pics/wide.pcx", SolidPcx(40, 20)).Build());
    run = Cli("thumbnail " + pak + " pics/wide.pcx " + out);
    ASSERT_EQ(run.exitCode, 0) << run.text;
    picture = ReadPng(out);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 128);
    EXPECT_EQ(AlphaBoxOf(*picture).Height(), 64);

    EXPECT_EQ(Cli("thumbnail " + dir_.File("missing.md2") + " " + out).exitCode, 1);
    run = Cli("thumbnail " + dir_.Write("notes.txt", std::string("text")) + " " + out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.text.find("not a model or picture the program reads"), std::string::npos) << run.text;
    EXPECT_EQ(Cli("thumbnail -s 9 " + model_ + " " + out).exitCode, 2);
    EXPECT_EQ(Cli("thumbnail " + model_).exitCode, 2);
    EXPECT_EQ(Cli("thumbnail --help").exitCode, 0);
}

TEST_F(ThumbnailCliTest, SheetCommandDrawsAGridOfTheArchive) {
    const std::string out = dir_.File("sheet.png");
    CommandOutput run = Cli("sheet " + dir_.Path() + "/game -o " + out + " --columns 2 -s 64");
    ASSERT_EQ(run.exitCode, 0) << run.text;
    const auto sheet = ReadPng(out);
    ASSERT_TRUE(sheet.has_value());
    EXPECT_EQ(sheet->width, 12 + 64 + 12);  // one entry: one column
    EXPECT_EQ(sheet->height, 12 + 64 + 3 + 18 + 12);

    run = Cli("sheet " + dir_.Path() + "/game -o " + out + " --filter sprites");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.text.find("lists nothing whose name holds 'sprites'"), std::string::npos) << run.text;
    EXPECT_EQ(Cli("sheet " + dir_.Path() + "/game").exitCode, 2);
    EXPECT_EQ(Cli("sheet " + dir_.Path() + "/game -o sheet.jpg").exitCode, 2);
    EXPECT_EQ(Cli("sheet " + dir_.Path() + "/game -o " + out + " --columns 0").exitCode, 2);
    EXPECT_EQ(Cli("sheet " + dir_.File("nowhere") + " -o " + out).exitCode, 1);
}

// What the test run itself preloads or reads (a sanitizer build's helpers), for
// the sandbox to show as well: they are the test's, not the thumbnailer's.
std::string TestRunBinds() {
    std::vector<std::string> paths;
    const auto add = [&](const std::string& list, const std::string& separators) {
        std::size_t start = 0;
        while (start < list.size()) {
            const std::size_t end = std::min(list.find_first_of(separators, start), list.size());
            if (end > start && list[start] == '/') {
                paths.push_back(list.substr(start, end - start));
            }
            start = end + 1;
        }
    };
    if (const char* preload = std::getenv("LD_PRELOAD")) {
        add(preload, ": ");
    }
    if (const char* options = std::getenv("LSAN_OPTIONS")) {
        const std::string text = options;
        const std::size_t at = text.find("suppressions=");
        if (at != std::string::npos) {
            add(text.substr(at + 13), ":");
        }
    }
    std::string binds;
    for (const std::string& path : paths) {
        binds += " --ro-bind-try " + path + " " + path;
    }
    return binds;
}

// As GNOME's file manager runs a thumbnailer: its own namespaces, /usr read-only
// and nothing else of the system, the input alone (read-only), a fresh /tmp, no
// display, no GPU, a home that does not exist. Every type the thumbnailer entry
// lists gets a picture there, whatever lies out of sight beside the file.
TEST_F(ThumbnailCliTest, ThumbnailerWorksInAFileManagersSandbox) {
    dir_.Write("figure/skin.pcx", SolidPcx(64, 64, 1));  // beside the model, but not shown to it
    // Its textures in a "T.mdl" beside it, out of sight.
    fixtures::StudioModelDef separate = fixtures::MakeFigure();
    separate.separateTextures = true;
    dir_.Write("studio/separateT.mdl", fixtures::WriteStudioTextureFile(separate));
    // Its first sequence in "01.mdl", out of sight too: the rest pose stands in.
    fixtures::StudioModelDef grouped = separate;
    grouped.groupCount = 2;
    grouped.sequences[0].group = 1;
    dir_.Write("studio/grouped01.mdl", fixtures::WriteStudioSequenceGroup(grouped, 1));
    struct Input {
        std::string path;
        bool untextured;  // its pictures out of sight: lit and untextured, or a stand-in
    };
    const Input inputs[] = {
        {dir_.Write("figure/tris.md2", TubeMd2("models/figure/skin.pcx")), true},
        {dir_.Write("box.mdl", BoxMdl()), false},
        {dir_.Write("figure.mdl", FigureStudio()), false},
        {dir_.Write("studio/separate.mdl", fixtures::WriteStudioModel(separate)), true},
        {dir_.Write("studio/grouped.mdl", fixtures::WriteStudioModel(grouped)), true},
        {dir_.Write("tall.spr", TallSprite()), false},
        // Its pictures are game paths, none of them in sight.
        {dir_.Write("sprites/flare.sp2", fixtures::WriteSp2({{32, 48, 16, 24, "sprites/flare_0.pcx"},
                                                              {24, 24, 12, 12, "sprites/flare_1.pcx"}})),
         true},
        {dir_.Write("textures/floor.wal", fixtures::WriteWal(64, 32, fixtures::Indices(64 * 32, 200))), false},
        {dir_.Write("skin.pcx", SolidPcx(64, 48, 2)), false},
    };
    const std::string out = dir_.Path() + "/out";
    std::filesystem::create_directories(out);
    // What the sandbox drew stays for a look, under each input's name.
    const std::string kept = TestOutputDirectory() + "/sandbox-thumbnails";
    std::filesystem::create_directories(kept);
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.path);
        const std::string command =
            std::string(MAROVIN_BWRAP) +
            " --unshare-all --die-with-parent --ro-bind /usr /usr --symlink usr/lib /lib --symlink usr/lib64 /lib64"
            " --symlink usr/bin /bin --symlink usr/sbin /sbin --dev /dev --proc /proc --tmpfs /tmp"
            " --bind " + out + " /tmp/out --ro-bind " MAROVIN_CLI " " MAROVIN_CLI " --ro-bind " + input.path + " " +
            input.path + TestRunBinds() +
            " --unsetenv DISPLAY --unsetenv WAYLAND_DISPLAY --unsetenv XDG_CACHE_HOME --setenv HOME /nonexistent"
            " --chdir / " MAROVIN_CLI " thumbnail -s 128 " + input.path + " /tmp/out/thumbnail.png 2>&1";
        const std::string picturePath = kept + "/" + std::filesystem::path(input.path).filename().string() + ".png";
        std::filesystem::remove(out + "/thumbnail.png");
        const CommandOutput run = RunCommand(command);
        ASSERT_EQ(run.exitCode, 0) << run.text;
        EXPECT_EQ(run.text, "");
        std::filesystem::copy_file(out + "/thumbnail.png", picturePath,
                                   std::filesystem::copy_options::overwrite_existing);
        const auto picture = ReadPng(picturePath);
        ASSERT_TRUE(picture.has_value());
        ASSERT_EQ(picture->width, 128);
        ASSERT_EQ(picture->height, 128);
        ASSERT_EQ(picture->channels, 4);
        EXPECT_EQ(Pixel(*picture, 0, 0)[3], 0);
        // Something stands in the middle (a figure's middle may fall between its limbs).
        int opaque = 0;
        for (int y = 52; y < 76; ++y) {
            for (int x = 52; x < 76; ++x) {
                opaque += Pixel(*picture, x, y)[3] == 255 ? 1 : 0;
            }
        }
        EXPECT_GT(opaque, 24 * 24 / 8);
        // Grey where the pictures were out of sight; coloured where the file holds its own.
        double sum[3] = {0.0, 0.0, 0.0};
        int count = 0;
        for (int y = 0; y < 128; ++y) {
            for (int x = 0; x < 128; ++x) {
                if (Pixel(*picture, x, y)[3] == 255) {
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += Pixel(*picture, x, y)[c];
                    }
                    ++count;
                }
            }
        }
        const double red = sum[0] / count, green = sum[1] / count, blue = sum[2] / count;
        const double spread = std::max({red, green, blue}) - std::min({red, green, blue});
        if (input.untextured) {
            EXPECT_LT(spread, 12.0) << red << " " << green << " " << blue;
        } else {
            EXPECT_GT(spread, 40.0) << red << " " << green << " " << blue;
        }
    }
}

}  // namespace
