// Writes the project's sample Half-Life studio model: a thirty-bone figure with
// a checked skin and the sequences "idle", "walk" and "aim" (blended), as
// OUTDIR/figure.mdl.
//
//   make_studio_figure OUTDIR [SEEDDIR]
//
// With SEEDDIR the studio fuzz target's seeds are written there as well: the
// figure, and the tests' model framed with its texture and sequence-group files.
#include <cstdio>
#include <string>
#include <vector>

#include "models/halflife/StudioFixtures.h"
#include "platform/BinaryIO.h"

namespace {
bool Save(const std::string& path, const ByteBuffer& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_studio_figure OUTDIR [SEEDDIR]\n");
        return 2;
    }
    const std::string out = argv[1];
    const ByteBuffer figure = fixtures::WriteStudioModel(fixtures::MakeFigure());
    bool ok = Save(out + "/figure.mdl", figure);
    if (argc == 3) {
        const std::string seeds = argv[2];
        fixtures::StudioModelDef model = studio_fixtures::TestModel(true);
        model.separateTextures = true;
        ok = ok && Save(seeds + "/figure.seed", fixtures::FrameStudioFiles({figure}));
        ok = ok && Save(seeds + "/companions.seed",
                        fixtures::FrameStudioFiles(
                            {fixtures::WriteStudioModel(model), fixtures::WriteStudioTextureFile(model),
                             fixtures::WriteStudioSequenceGroup(model, 1), fixtures::WriteStudioSequenceGroup(model, 2)}));
    }
    if (!ok) {
        std::fprintf(stderr, "make_studio_figure: cannot write the files\n");
        return 1;
    }
    return 0;
}
