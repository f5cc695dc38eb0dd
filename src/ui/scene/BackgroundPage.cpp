#include "ui/scene/BackgroundPage.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "media/COGLTexture2D.h"
#include "platform/Host.h"
#include "scene/COGLScene.h"
#include "ui/PropertyWidgets.h"
#include "ui/scene/SceneSheetHooks.h"
#include "ui/scene/SceneTextures.h"

BackgroundPage::BackgroundPage(const SceneSheetHooks& hooks, QWidget* parent)
    : PropertyPage(parent), hooks_(hooks) {
    QVBoxLayout* layout = MakePageLayout(this);

    QGroupBox* background = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Background"), background, this);
    backgroundColor_ = AddNamedRow(form, QStringLiteral("Colour"), QStringLiteral("backgroundColor"),
                                   new ColorButton(background));
    backgroundImage_ =
        AddNamedRow(form, QStringLiteral("Image"), QStringLiteral("backgroundImage"), new QLabel(background));
    backgroundImage_->setWordWrap(true);
    auto* load = MakeButton(QStringLiteral("Load Image..."), QStringLiteral("loadBackground"), background);
    auto* clear = MakeButton(QStringLiteral("Clear"), QStringLiteral("clearBackground"), background);
    clearBackground_ = clear;
    form->addRow(MakeButtonRow({load, clear}));
    // The three ways the renderer draws the picture behind the scene.
    static constexpr const char* kModes[3] = {"Textured quad", "Pixel copy, zoomed to fit",
                                              "Stretched bitmap"};
    auto* modes = new QButtonGroup(this);
    auto* modeColumn = new QVBoxLayout;
    modeColumn->setSpacing(2);
    for (int mode = 0; mode < 3; ++mode) {
        auto* radio = new QRadioButton(QString::fromLatin1(kModes[mode]), background);
        radio->setObjectName(QStringLiteral("backgroundMode%1").arg(mode));
        modes->addButton(radio, mode);
        modeColumn->addWidget(radio);
        backgroundModes_[mode] = radio;
    }
    form->addRow(QStringLiteral("Drawn as"), modeColumn);
    layout->addWidget(background);

    QGroupBox* lighting = nullptr;
    form = MakeFormGroup(QStringLiteral("Lighting"), lighting, this);
    ambient_ = AddNamedRow(form, QStringLiteral("Ambient"), QStringLiteral("ambient"), new ColorButton(lighting));
    ambient_->setToolTip(QStringLiteral("The light that reaches every surface from no particular light"));
    layout->addWidget(lighting);
    layout->addStretch(1);

    const auto shownScene = [this] { return Scene(); };
    connect(backgroundColor_, &ColorButton::clicked, this, [this, shownScene] {
        PickColorFor(*this, hooks_.chooseColor, *backgroundColor_, QStringLiteral("Background Colour"), shownScene,
                     [](COGLScene& shown, const QColor& chosen) {
                         const ColorRGBA c = ToColorRGBA(chosen, 1.0f);
                         shown.SetBackgroundColor(c.red, c.green, c.blue);
                     });
    });
    connect(ambient_, &ColorButton::clicked, this, [this, shownScene] {
        PickColorFor(*this, hooks_.chooseColor, *ambient_, QStringLiteral("Ambient Light"), shownScene,
                     [](COGLScene& shown, const QColor& chosen) {
                         shown.SetAmbient(ToColorRGBA(chosen, shown.Ambient().alpha));
                     });
    });
    connect(load, &QPushButton::clicked, this, &BackgroundPage::LoadBackground);
    connect(clear, &QPushButton::clicked, this, [this] {
        COGLScene* scene = Scene();
        if (scene != nullptr && scene->Background() != nullptr) {
            GetHost().MakeViewContextCurrent();
            if (hooks_.beforeBackgroundChange) {
                hooks_.beforeBackgroundChange("Clear Background");
            }
            scene->ClearBackground();
            Refresh();
            emit changed();
        }
    });
    connect(modes, &QButtonGroup::idClicked, this, [this](int mode) {
        COGLScene* scene = Scene();
        if (scene != nullptr && scene->BackgroundMode() != mode) {
            scene->SetBackgroundMode(mode);
            emit changed();
        }
    });
}

QString BackgroundPage::Title() const { return QStringLiteral("Background"); }

void BackgroundPage::Refresh() {
    COGLScene* scene = Scene();
    if (scene == nullptr) {
        return;
    }
    const auto& color = scene->BackgroundColor();
    backgroundColor_->SetColor(ToQColor(color[0], color[1], color[2]));
    ambient_->SetColor(ToQColor(scene->Ambient()));
    const COGLTexture2D* image = scene->Background();
    if (image != nullptr && scene->BackgroundValid()) {
        backgroundImage_->setText(TextureLabel(*image));
        backgroundImage_->setToolTip(TextureSource(*image));
    } else {
        backgroundImage_->setText(QStringLiteral("None"));
        backgroundImage_->setToolTip({});
    }
    clearBackground_->setEnabled(image != nullptr);
    const int mode = scene->BackgroundMode();
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker block(backgroundModes_[i]);
        backgroundModes_[i]->setChecked(i == mode);
    }
}

void BackgroundPage::LoadBackground() {
    COGLScene* scene = Scene();
    if (scene == nullptr) {
        return;
    }
    const QStringList chosen = hooks_.choosePictures(QStringLiteral("Background Image"), false);
    if (chosen.isEmpty()) {
        return;
    }
    // A failed load clears the old picture too; either way the page shows what is left.
    if (hooks_.beforeBackgroundChange) {
        hooks_.beforeBackgroundChange("Load Background");
    }
    const bool loaded = scene->SetBackgroundFromFile(chosen.constFirst().toStdString());
    if (!loaded) {
        const QString name = QFileInfo(chosen.constFirst()).fileName();
        GetHost().SetStatusText(QStringLiteral("Could not use %1 as the background.").arg(name).toStdString());
    }
    Refresh();
    emit changed();
}
