#include "ui/PropertyWindows.h"

#include <QDockWidget>

#include <algorithm>

#include "platform/Host.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/MainWindow.h"
#include "ui/ObjectPropertiesPanel.h"
#include "ui/ScenePropertiesPanel.h"

PropertyWindows::PropertyWindows(MainWindow& window) : QObject(&window) {
    objectSheet_ = new ObjectPropertiesPanel;
    sceneSheet_ = new ScenePropertiesPanel;
    window.SetObjectPropertiesPage(objectSheet_);
    window.SetScenePropertiesPage(sceneSheet_);
    // The colour swatches need little height; the object sheet below them all it can get.
    window.ColorPickerDock()->widget()->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    window.resizeDocks({window.ObjectPropertiesDock(), window.ColorPickerDock()},
                       {3 * window.height(), window.ColorPickerDock()->widget()->sizeHint().height()}, Qt::Vertical);

    objectSheet_->onChanged = [this] {
        // Names and visibility show in the scene sheet's lists.
        sceneSheet_->Refresh();
        Changed();
    };
    sceneSheet_->onChanged = [this] {
        // A texture came or went, the selection's shadow role changed.
        objectSheet_->Refresh();
        Changed();
    };
    sceneSheet_->onSelectionChanged = [this] {
        objectSheet_->Refresh();
        if (onSelectionChanged) {
            onSelectionChanged();
        }
    };
    sceneSheet_->onPakItemActivated = [this](Archive& pak, const std::string& entryName) {
        return onPakItemActivated ? onPakItemActivated(pak, entryName) : false;
    };

    connect(&window, &MainWindow::colorApplied, this,
            [this](const QString& target, float r, float g, float b) { ApplyColor(target, r, g, b); });
    window.Hooks().refreshProperties = [this] { PropertyRefresh(); };
    window.Hooks().refreshAnimation = [this] { RefreshAnimation(); };
}

PropertyWindows::~PropertyWindows() = default;

void PropertyWindows::SetScene(COGLScene* scene) {
    scene_ = scene;
    objectSheet_->SetScene(scene);
    sceneSheet_->SetScene(scene);
}

void PropertyWindows::PropertyRefresh() {
    objectSheet_->Refresh();
    sceneSheet_->Refresh();
}

void PropertyWindows::RefreshAnimation() { objectSheet_->RefreshAnimation(); }

void PropertyWindows::ShowPak(int position) { sceneSheet_->ShowPak(position); }

void PropertyWindows::Changed() {
    if (onChanged) {
        onChanged();
    }
}

// "Scene Background" and "Scene Fog" set those colours. The scene keeps no shadow
// colour: shadows are solid black, or lit and blended at the scene's shadow
// opacity. "Scene Shadow" therefore sets how dark the shadows are: black makes
// them solid again, any other colour blends them with an opacity of one minus its
// brightness (the mean of red, green and blue). The material entries colour the
// selected light (ambient, diffuse, specular) or else the selected object.
bool PropertyWindows::ApplyColor(const QString& target, float r, float g, float b) {
    if (scene_ == nullptr) {
        return false;
    }
    const QString name = target.trimmed();
    bool applied = true;
    if (name == QStringLiteral("Scene Background")) {
        scene_->SetBackgroundColor(r, g, b);
    } else if (name == QStringLiteral("Scene Fog")) {
        scene_->Renderer().fogColor = {r, g, b};
    } else if (name == QStringLiteral("Scene Shadow")) {
        const float brightness = std::clamp((r + g + b) / 3.0f, 0.0f, 1.0f);
        scene_->SetShadowBlending(brightness > 0.0f);
        if (brightness > 0.0f) {
            scene_->SetShadowOpacity(1.0f - brightness);
        }
    } else if (COGLLight* light = scene_->SelectedLight()) {
        if (name == QStringLiteral("Ambient")) {
            light->SetAmbient({r, g, b, light->Ambient().alpha});
        } else if (name == QStringLiteral("Diffuse")) {
            light->SetDiffuse({r, g, b, light->Diffuse().alpha});
        } else if (name == QStringLiteral("Specular")) {
            light->SetSpecular({r, g, b, light->Specular().alpha});
        } else {
            GetHost().SetStatusText("A light has no emission colour.");
            applied = false;
        }
    } else if (COGLObject* object = scene_->Selected()) {
        if (name == QStringLiteral("Ambient")) {
            object->SetAmbient(r, g, b, object->Ambient().alpha);
        } else if (name == QStringLiteral("Diffuse")) {
            object->SetDiffuse(r, g, b, object->Diffuse().alpha);
        } else if (name == QStringLiteral("Specular")) {
            object->SetSpecular(r, g, b, object->Specular().alpha);
        } else if (name == QStringLiteral("Emission")) {
            object->SetEmission(r, g, b, object->Emission().alpha);
        } else {
            applied = false;
        }
    } else {
        GetHost().SetStatusText("Select an object or a light first.");
        applied = false;
    }
    if (applied) {
        PropertyRefresh();
        Changed();
    }
    return applied;
}
