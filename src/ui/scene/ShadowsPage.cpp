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
    shadowOpacity_ = MakeRealBox(0.0, 1.0, 0.05, 2, look);
    shadowOpacity_->setObjectName(QStringLiteral("shadowOpacity"));
    form->addRow(QStringLiteral("Opacity"), shadowOpacity_);
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
        COGLScene* scene = Scene();
        if (scene != nullptr) {
            scene->SetShadowBlending(on);
            shadowOpacity_->setEnabled(on);
            emit changed();
        }
    });
    connect(shadowOpacity_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        COGLScene* scene = Scene();
        if (scene != nullptr) {
            scene->SetShadowOpacity(static_cast<float>(value));
            emit changed();
        }
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

    shadowPlanes_->clear();
    for (COGLObject* plane : scene->ShadowPlanes()) {
        auto* item = new QListWidgetItem(ObjectLabel(*plane), shadowPlanes_);
        item->setData(Qt::UserRole, ItemData(plane));
    }
    shadowLights_->clear();
    for (COGLLight* light : scene->ShadowLights()) {
        auto* item = new QListWidgetItem(LightLabel(*light), shadowLights_);
        item->setData(Qt::UserRole, ItemData(light));
    }

    const QVariant planeChosen = planeChoice_->currentData();
    planeChoice_->clear();
    for (const auto& object : scene->Objects()) {
        if (!scene->IsShadowPlane(object.get())) {
            planeChoice_->addItem(ObjectLabel(*object), ItemData(object.get()));
        }
    }
    planeChoice_->setCurrentIndex(std::max(0, planeChoice_->findData(planeChosen)));
    const QVariant lightChosen = lightChoice_->currentData();
    lightChoice_->clear();
    for (const auto& light : scene->Lights()) {
        if (!scene->IsShadowLight(light.get())) {
            lightChoice_->addItem(LightLabel(*light), ItemData(light.get()));
        }
    }
    lightChoice_->setCurrentIndex(std::max(0, lightChoice_->findData(lightChosen)));
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
