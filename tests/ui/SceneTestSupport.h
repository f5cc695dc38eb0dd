#pragma once

#include <QAbstractButton>
#include <QDoubleSpinBox>
#include <QFile>
#include <QTabWidget>
#include <QtTest>

#include <memory>
#include <string>

#include "scene/COGLLight.h"
#include "scene/COGLScene.h"
#include "scene/COGLText.h"
#include "scene/Primitives.h"
#include "support/MediaWriters.h"

// A small scene of every kind of thing the property sheets show: a box, a floor,
// a wall, a sphere and a text, a point light and a spot light.
struct SampleScene {
    COGLScene scene;
    COGLObject* box = nullptr;
    COGLObject* floor = nullptr;
    COGLObject* wall = nullptr;
    COGLObject* sphere = nullptr;
    COGLText* text = nullptr;
    COGLLight* point = nullptr;
    COGLSpotLight* spot = nullptr;

    SampleScene() {
        box = Add(std::make_unique<COGLBox>(), "Crate");
        box->SetPosition(0.0f, 1.0f, 0.0f);
        floor = Add(std::make_unique<COGLFloor>(), "Ground");
        floor->SetScale(6.0f, 1.0f, 6.0f);
        wall = Add(std::make_unique<COGLRightWall>(), "East wall");
        sphere = Add(std::make_unique<COGLSphere>(), "Ball");
        auto text = std::make_unique<COGLText>();
        text->SetName("Title");
        this->text = static_cast<COGLText*>(scene.AddObject(std::move(text)));
        point = scene.AddLight(std::make_unique<COGLPointLight>(2.0f, 4.0f, 3.0f));
        auto spot = std::make_unique<COGLSpotLight>(-2.0f, 5.0f, 1.0f);
        spot->SetName("Lamp");
        this->spot = static_cast<COGLSpotLight*>(scene.AddLight(std::move(spot)));
    }

    COGLObject* Add(std::unique_ptr<COGLObject> object, const char* name) {
        object->SetName(name);
        return scene.AddObject(std::move(object));
    }
};

// Writes bytes to a file and returns its path.
inline std::string WriteBytes(const QString& path, const ByteBuffer& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        qWarning("cannot write %s", qPrintable(path));
    }
    return path.toStdString();
}

// A picture of the test's own: a w x h BMP with a colour ramp.
inline ByteBuffer Picture(int w = 8, int h = 8) {
    ByteBuffer rgb;
    for (int i = 0; i < w * h; ++i) {
        rgb.push_back(static_cast<std::uint8_t>(i * 9));
        rgb.push_back(static_cast<std::uint8_t>(255 - i * 3));
        rgb.push_back(90);
    }
    return fixtures::WriteBmp24(w, h, rgb);
}

// The tab of a sheet with this title, or -1.
inline int TabIndex(const QTabWidget* tabs, const QString& title) {
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabText(i) == title) {
            return i;
        }
    }
    return -1;
}

inline bool TabShown(const QTabWidget* tabs, const QString& title) {
    const int index = TabIndex(tabs, title);
    return index >= 0 && tabs->isTabVisible(index);
}

// Commits a value to a spin box as a user does: select it, type, press Enter.
inline void TypeValue(QDoubleSpinBox* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

template <typename T>
T* Child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qWarning("no child named %s", name);
    }
    return found;
}
