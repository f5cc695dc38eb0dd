#pragma once

#include "ui/PropertyPage.h"

class COGLLight;
class COGLObject;

// A page of the "Object Properties" sheet. What the sheet shows is the scene's
// selected light, else its selected object (never a light's marker); a page reads
// it afresh for every edit, so an edit made after the selection went away (removed
// behind the sheet, or while a modal dialog was open) changes nothing.
class ObjectSheetPage : public PropertyPage {
public:
    using PropertyPage::PropertyPage;

    static COGLLight* LightShownIn(const COGLScene* scene);
    static COGLObject* ObjectShownIn(const COGLScene* scene);

    COGLLight* CurrentLight() const { return LightShownIn(Scene()); }
    COGLObject* CurrentObject() const { return ObjectShownIn(Scene()); }
};
