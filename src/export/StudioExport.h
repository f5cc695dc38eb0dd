#pragma once

#include <string>

#include "export/ExportModel.h"

class COGLHLModel;

// Gathers a loaded Half-Life model for export as drawing shows it: every body
// part's first submodel in skin family 0, the bones as joints in their default
// pose, and one animation per sequence. False, with the reason in `error` when
// given, for a model with nothing loaded or one that cannot be exported.
bool BuildStudioExport(COGLHLModel& model, SkinnedModelExport& out, std::string* error);
