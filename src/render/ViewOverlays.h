#pragma once

// The object_overlay bit a view toggle shows (cmd::kShowBones ...), or 0 for any
// other command.
int OverlayForCommand(int id);
