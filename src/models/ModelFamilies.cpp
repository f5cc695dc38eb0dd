#include "models/ModelFamilies.h"

#include "models/ModelOpen.h"
#include "models/halflife/HLOpen.h"
#include "models/quake1/MDLOpen.h"
#include "models/quake2/MD2Open.h"
#include "models/sin/SinOpen.h"
#include "models/sprite/SpriteOpen.h"

void RegisterModelClasses() {
    RegisterMD2Classes();
    RegisterSinClasses();
    RegisterHalfLifeClasses();
    RegisterQuake1Classes();
    RegisterSpriteClasses();
    RegisterModelBase();
}
