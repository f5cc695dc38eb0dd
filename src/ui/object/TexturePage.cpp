#include "ui/object/TexturePage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <GL/gl.h>

#include "media/COGLTexture2D.h"
#include "platform/Messages.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"
#include "ui/object/PageFields.h"

TexturePage::TexturePage(QWidget* parent) : ObjectSheetPage(parent) {
    QVBoxLayout* layout = MakePageLayout(this);

    QGroupBox* choice = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Texture"), choice, this);
    current_ = AddNamedRow(form, QStringLiteral("Current"), QStringLiteral("currentTexture"), new QLabel(choice));
    current_->setWordWrap(true);
    choice_ = MakeChoiceBox(QStringLiteral("textureChoice"), choice);
    choice_->setPlaceholderText(QStringLiteral("Choose a scene texture"));
    form->addRow(QStringLiteral("Texture"), choice_);
    auto* apply = MakeButton(QStringLiteral("Apply"), QStringLiteral("applyTexture"), choice);
    remove_ = MakeButton(QStringLiteral("Remove"), QStringLiteral("removeTexture"), choice);
    form->addRow(MakeButtonRow({apply, remove_}));
    envMode_ = new QComboBox(choice);
    envMode_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    envMode_->setObjectName(QStringLiteral("environmentMode"));
    envMode_->addItem(QStringLiteral("Modulate"), GL_MODULATE);
    envMode_->addItem(QStringLiteral("Decal"), GL_DECAL);
    envMode_->addItem(QStringLiteral("Blend"), GL_BLEND);
    envMode_->addItem(QStringLiteral("Replace"), GL_REPLACE);
    envMode_->setToolTip(QStringLiteral("How the texture combines with the lit material (GL_TEXTURE_ENV_MODE)"));
    form->addRow(QStringLiteral("Mode"), envMode_);
    layout->addWidget(choice);

    QGroupBox* placement = nullptr;
    form = MakeFormGroup(QStringLiteral("Placement"), placement, this);
    placement_ = placement;
    translation_ = AddNamedRow(form, QStringLiteral("Offset"), QStringLiteral("textureTranslation"),
                               new Vector3Editor(-kPlacementLimit, kPlacementLimit, 0.05, 3, placement));
    rotation_ = AddNamedRow(form, QStringLiteral("Rotation"), QStringLiteral("textureRotation"),
                            new Vector3Editor(-360.0, 360.0, 5.0, 1, placement));
    rotation_->SetSuffix(QStringLiteral("\u00B0"));
    scale_ = AddNamedRow(form, QStringLiteral("Scale"), QStringLiteral("textureScale"),
                         new Vector3Editor(-kScaleLimit, kScaleLimit, 0.1, 3, placement));
    auto* resetPlacement = MakeButton(QStringLiteral("Reset Placement"), QStringLiteral("resetPlacement"), placement);
    form->addRow(MakeButtonRow({resetPlacement}));
    layout->addWidget(placement);
    layout->addStretch(1);

    connect(apply, &QPushButton::clicked, this, &TexturePage::Apply);
    connect(remove_, &QPushButton::clicked, this, &TexturePage::Remove);
    connect(envMode_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            const int mode = envMode_->itemData(index).toInt();
            EditShown(*this, CurrentObject(), [mode](COGLObject& o) { o.SetTextureEnvMode(mode); });
        }
    });
    connect(translation_, &Vector3Editor::edited, this, [this](const Vector3& value) {
        EditShown(*this, CurrentObject(), [value](COGLObject& o) { o.SetTextureTranslation(value); });
    });
    connect(rotation_, &Vector3Editor::edited, this, [this](const Vector3& value) {
        EditShown(*this, CurrentObject(), [value](COGLObject& o) { o.SetTextureRotation(value); });
    });
    connect(scale_, &Vector3Editor::edited, this, [this](const Vector3& value) {
        EditShown(*this, CurrentObject(), [value](COGLObject& o) { o.SetTextureScale(value); });
    });
    connect(resetPlacement, &QPushButton::clicked, this, [this] {
        EditShown(*this, CurrentObject(), [this](COGLObject& o) {
            o.SetTextureTranslation({});
            o.SetTextureRotation({});
            o.SetTextureScale({1.0f, 1.0f, 1.0f});
            Refresh();
        });
    });
}

QString TexturePage::Title() const { return QStringLiteral("Texture"); }

bool TexturePage::Applies() const { return CurrentObject() != nullptr; }

void TexturePage::Refresh() {
    const COGLObject* object = CurrentObject();
    if (object == nullptr) {
        return;
    }
    {
        const QSignalBlocker block(envMode_);
        envMode_->setCurrentIndex(envMode_->findData(object->TextureEnvMode()));
    }
    FillChoices(*object);
    translation_->SetValue(object->TextureTranslation());
    rotation_->SetValue(object->TextureRotation());
    scale_->SetValue(object->TextureScale());
}

void TexturePage::FillChoices(const COGLObject& object) {
    const QSignalBlocker block(choice_);
    const QVariant chosen = choice_->currentData();
    choice_->clear();
    if (const COGLScene* scene = Scene()) {
        for (const auto& texture : scene->Textures()) {
            choice_->addItem(GameText(texture->Name()), ItemData(texture.get()));
            choice_->setItemData(choice_->count() - 1, GameText(texture->Path()), Qt::ToolTipRole);
        }
    }
    const COGLTexture2D* current = object.Texture();
    int index = current != nullptr ? choice_->findData(ItemData(current)) : -1;
    if (index < 0 && chosen.isValid()) {
        index = choice_->findData(chosen);
    }
    choice_->setCurrentIndex(index);
    if (current != nullptr) {
        current_->setText(QStringLiteral("%1  (%2 \u00D7 %3)")
                              .arg(GameText(current->Name()))
                              .arg(current->Width())
                              .arg(current->Height()));
    } else {
        current_->setText(QStringLiteral("None"));
    }
    remove_->setEnabled(current != nullptr);
    placement_->setEnabled(current != nullptr);
    envMode_->setEnabled(current != nullptr);
    if (choice_->count() == 0) {
        choice_->setPlaceholderText(QStringLiteral("No textures: add them on Scene Properties"));
    } else {
        choice_->setPlaceholderText(QStringLiteral("Choose a scene texture"));
    }
}

void TexturePage::Apply() {
    COGLObject* object = CurrentObject();
    COGLScene* scene = Scene();
    if (object == nullptr || scene == nullptr) {
        return;
    }
    COGLTexture2D* texture = nullptr;
    if (choice_->currentIndex() >= 0) {
        auto* candidate = ItemPointer<COGLTexture2D>(choice_->currentData());
        if (scene->IndexOfTexture(candidate) >= 0) {
            texture = candidate;
        }
    }
    if (texture == nullptr) {
        ShowMessage(msg::kSelectTextureFirst);
        return;
    }
    object->SetTexture(texture);
    Refresh();
    emit changed();
}

void TexturePage::Remove() {
    COGLObject* object = CurrentObject();
    if (object == nullptr || object->Texture() == nullptr) {
        return;
    }
    object->SetTexture(nullptr);
    Refresh();
    emit changed();
}
