// Undo and redo in a full scene: a drag of one player among 1,000 primitives and
// 30 player models must come back and go again at once (well under 5 ms each).
#include <benchmark/benchmark.h>

#include <memory>

#include "models/quake2/COGLPlayer.h"
#include "platform/BinaryIO.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"
#include "scene/EditHistory.h"
#include "scene/Primitives.h"
#include "support/ModelWriters.h"

namespace {
constexpr int kPrimitives = 1000;
constexpr int kPlayers = 30;

const ByteBuffer& PlayerBytes() {
    static const ByteBuffer bytes = [] {
        const auto names = fixtures::NumberedFrames({{"stand", 40}, {"run", 6}, {"attack", 8}, {"pain", 12}});
        return fixtures::WriteMd2(fixtures::MakeTubeModel(30, 10, names));
    }();
    return bytes;
}

// The scene, and a drag of the last player recorded as one step.
struct DraggedScene {
    COGLScene scene;
    EditHistory history;
    COGLObject* dragged = nullptr;

    DraggedScene() {
        for (int i = 0; i < kPrimitives; ++i) {
            COGLObject* box = scene.AddObject(std::make_unique<COGLBox>());
            box->SetPosition(static_cast<float>(i % 40), 0.0f, static_cast<float>(i / 40));
        }
        for (int i = 0; i < kPlayers; ++i) {
            auto player = std::make_unique<COGLPlayer>();  // no scene: no skins are read
            BinaryReader in(PlayerBytes());
            player->ReadMD2(in, 0, false);
            dragged = scene.AddObject(std::move(player));
        }
        history.Watch(scene, dragged);
        for (int step = 0; step < 50; ++step) {
            dragged->MoveBy(0.01f, 0.0f, 0.02f);
        }
        history.Changed(scene, dragged, "Move");
    }
};
}  // namespace

static void BM_UndoRedoDragInAFullScene(benchmark::State& state) {
    HeadlessHost host;
    host.quiet = true;
    SetHost(&host);
    {
        DraggedScene s;
        for (auto _ : state) {
            if (!s.history.Undo(s.scene) || !s.history.Redo(s.scene)) {
                state.SkipWithError("the drag did not come back");
                break;
            }
            benchmark::DoNotOptimize(s.dragged->Position());
        }
    }
    SetHost(nullptr);
}
BENCHMARK(BM_UndoRedoDragInAFullScene)->Unit(benchmark::kMicrosecond);
