#include "ui/scene/ShadowsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"

ShadowsPage::ShadowsPage(QWidget* parent) : PropertyPage(parent) {
    QVBoxLayout* layout = MakePageLayout(this);
    shadowsEnabled_ = new QCheckBox(QStringLiteral("Cast shadows"), this);
    shadowsEnabled_->setObjectName(QStringLiteral("shadowsEnabled"));
    layout->addWidget(shadowsEnabled_);

    const auto tableGroup = [this, layout](const QString& title, const QString& name, QListWidget*& list,
                                                 QComboBox*& choice, const QString& note) {
        auto* group = new QGroupBox(title, this);
        auto* column = new QVBoxLayout(group);
        column->setContentsMargins(8, 6, 8, 6);
        list = MakeList(name, group);
        list->setMaximumHeight(96);
        column->addWidget(list);
        choice = new QComboBox(group);
        choice->setObjectName(name + QStringLiteral("Choice"));
        choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        choice->setMinimumContentsLength(10);
        auto* add = MakeButton(QStringLiteral("Add"), QStringLiteral("add") + name, group);
        auto* remove = MakeButton(QStringLiteral("Remove"), QStringLiteral("remove") + name, group);
        auto* row = new QHBoxLayout;
        row->addWidget(choice, 1);
        row->addWidget(add);
        row->addWidget(remove);
        column->addLayout(row);
        column->addWidget(MakeNote(note, group));
        layout->addWidget(group);
        return std::pair{add, remove};
    };
    const auto [addPlane, removePlane] =
        tableGroup(QStringLiteral("Receiving planes"), QStringLiteral("shadowPlanes"), shadowPlanes_, planeChoice_,
                   QStringLiteral("Up to four objects whose plane the shadows fall on."));
    const auto [addLight, removeLight] =
        tableGroup(QStringLiteral("Casting lights"), QStringLiteral("shadowLights"), shadowLights_, lightChoice_,
                   QStringLiteral("Up to eight lights that cast shadows."));

    QGroupBox* look = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Look"), look, this);
    shadowBlending_ = new QCheckBox(QStringLiteral("Lit and blended"), look);
    shadowBlending_->setObjectName(QStringLiteral("shadowBlending"));
    shadowBlending_->setToolTip(QStringLiteral("Off: shadows are solid black"));
    form->addRow(shadowBlending_);
    shadowOpacity_ = AddNamedRow(form, QStringLiteral("Opacity"), QStringLiteral("shadowOpacity"),
                                 MakeRealBox(0.0, 1.0, 0.05, 2, look));
    layout->addWidget(look);
    layout->addStretch(1);

    connect(shadowsEnabled_, &QCheckBox::toggled, this, [this](bool on) {
        COGLScene* scene = Scene();
        if (scene == nullptr) {
            return;
        }
        const bool enabled = scene->EnableShadows(on);
        if (on && !enabled) {
            GetHost().SetStatusText("Shadows need a casting light and a receiving plane.");
        }
        Refresh();
        emit changed();
    });
    connect(addPlane, &QPushButton::clicked, this, &ShadowsPage::AddPlane);
    connect(addLight, &QPushButton::clicked, this, &ShadowsPage::AddLight);
    connect(removePlane, &QPushButton::clicked, this, [this] { RemoveEntry(shadowPlanes_, true); });
    connect(removeLight, &QPushButton::clicked, this, [this] { RemoveEntry(shadowLights_, false); });
    connect(shadowBlending_, &QCheckBox::toggled, this, [this](bool on) {
        EditShown(*this, Scene(), [this, on](COGLScene& scene) {
            scene.SetShadowBlending(on);
            shadowOpacity_->setEnabled(on);
        });
    });
    connect(shadowOpacity_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        EditShown(*this, Scene(), [value](COGLScene& scene) { scene.SetShadowOpacity(static_cast<float>(value)); });
    });
}

QString ShadowsPage::Title() const { return QStringLiteral("Shadows"); }

void ShadowsPage::Refresh() {
    COGLScene* scene = Scene();
    if (scene == nullptr) {
        return;
    }
    const QSignalBlocker a(shadowsEnabled_), b(shadowBlending_), c(shadowOpacity_);
    shadowsEnabled_->setChecked(scene->ShadowsEnabled());
    shadowBlending_->setChecked(scene->ShadowBlending());
    shadowOpacity_->setValue(static_cast<double>(scene->ShadowOpacity()));
    shadowOpacity_->setEnabled(scene->ShadowBlending());

    // Each table lists its entries, and its choice offers what could join it, still
    // on the one chosen before where that can join.
    const auto showTable = [](QListWidget* list, QComboBox* choice, const auto& entries, const auto& all,
                              const auto& isEntry, const auto& label) {
        list->clear();
        for (auto* entry : entries) {
            auto* item = new QListWidgetItem(label(*entry), list);
            item->setData(Qt::UserRole, ItemData(entry));
        }
        const QVariant chosen = choice->currentData();
        choice->clear();
        for (const auto& thing : all) {
            if (!isEntry(thing.get())) {
                choice->addItem(label(*thing), ItemData(thing.get()));
            }
        }
        choice->setCurrentIndex(std::max(0, choice->findData(chosen)));
    };
    showTable(
        shadowPlanes_, planeChoice_, scene->ShadowPlanes(), scene->Objects(),
        [scene](const COGLObject* object) { return scene->IsShadowPlane(object); }, &ObjectLabel);
    showTable(
        shadowLights_, lightChoice_, scene->ShadowLights(), scene->Lights(),
        [scene](const COGLLight* light) { return scene->IsShadowLight(light); }, &LightLabel);
}

void ShadowsPage::AddPlane() {
    COGLScene* scene = Scene();
    if (scene == nullptr || planeChoice_->currentIndex() < 0) {
        return;
    }
    if (static_cast<int>(scene->ShadowPlanes().size()) >= COGLScene::kMaxShadowPlanes) {
        ShowMessage(msg::kNoMoreShadowPlanes);
        return;
    }
    auto* object = ItemPointer<COGLObject>(planeChoice_->currentData());
    if (scene->IndexOfObject(object) < 0) {
        return;
    }
    scene->AddShadowPlane(object);
    Refresh();
    emit changed();
}

void ShadowsPage::AddLight() {
    COGLScene* scene = Scene();
    if (scene == nullptr || lightChoice_->currentIndex() < 0) {
        return;
    }
    auto* light = ItemPointer<COGLLight>(lightChoice_->currentData());
    if (scene->IndexOfLight(light) < 0) {
        return;
    }
    scene->AddShadowLight(light);
    Refresh();
    emit changed();
}

void ShadowsPage::RemoveEntry(QListWidget* list, bool plane) {
    COGLScene* scene = Scene();
    if (scene == nullptr || list->currentItem() == nullptr) {
        return;
    }
    const QVariant data = list->currentItem()->data(Qt::UserRole);
    if (plane) {
        scene->RemoveShadowPlane(ItemPointer<COGLObject>(data));
    } else {
        scene->RemoveShadowLight(ItemPointer<COGLLight>(data));
    }
    Refresh();
    emit changed();
}
