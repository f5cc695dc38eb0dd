// Opens arbitrary bytes as a pak archive and reads every player it holds as the
// program does: the players listed by their folders' names, each body opened as
// a player with every weapon it lists and the CTF flag, and the game's palette
// read from the archive.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "media/CPakFile.h"
#include "models/quake2/COGLPlayer.h"
#include "models/quake2/PlayerFolders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PrepareFuzzRun();
    static const Scratch scratch("players", Scratch::Kind::File);
    if (scratch.Path().empty() || !WriteScratchFile(scratch.Path(), data, size)) {
        return 0;
    }
    CPakFile pak;
    if (!pak.Open(scratch.Path())) {
        return 0;
    }
    for (int i = 0; i < pak.EntryCount(); ++i) {
        IsPlayerBodyPath(pak.Entry(i).name);
    }
    for (const PlayerListing& listed : ListPlayers(pak)) {
        const PlayerListing found = FindPlayer(pak, listed.folder);
        if (found.body == nullptr || found.skins.size() != listed.skins.size() ||
            found.weapons.size() != listed.weapons.size()) {
            std::abort();  // one folder is listed alike either way
        }
        COGLPlayer player;  // no scene: skins are not read into textures
        if (!player.LoadFromPak(&pak, *listed.body, false)) {
            continue;
        }
        for (const auto& weapon : player.Weapons()) {
            player.SetWeapon(weapon.get());
        }
        player.ShowFlag();
        player.AdvanceFrame();
    }
    return 0;
}
