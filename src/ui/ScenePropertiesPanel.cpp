#include "ui/ScenePropertiesPanel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "media/COGLTexture2D.h"
#include "media/CPakFile.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/QtHost.h"
#include "ui/SceneNames.h"

namespace {
constexpr int kEntryRole = Qt::UserRole;

QString TextureLabel(const COGLTexture2D& texture) {
    QString label = QString::fromStdString(texture.Name());
    if (texture.IsBound()) {
        label += QStringLiteral("  (%1 \u00D7 %2)").arg(texture.Width()).arg(texture.Height());
    }
    return label;
}

QString TextureSource(const COGLTexture2D& texture) {
    if (texture.Pak() != nullptr) {
        return QStringLiteral("%1 in %2").arg(QString::fromStdString(texture.Path()),
                                              QString::fromStdString(texture.Pak()->Path()));
    }
    return QString::fromStdString(texture.Path());
}

void AddTreeNodes(const PakTreeNode& node, QTreeWidgetItem* parent, const QIcon& folder, const QIcon& file) {
    for (const auto& child : node.children) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, QString::fromStdString(child->text));
        item->setIcon(0, child->children.empty() ? file : folder);
        if (child->entry != nullptr) {
            const QString name = QString::fromStdString(child->entry->name);
            item->setData(0, kEntryRole, name);
            item->setToolTip(0, name);
        }
        AddTreeNodes(*child, item, folder, file);
    }
}
}  // namespace

ScenePropertiesPanel::ScenePropertiesPanel(QWidget* parent) : QWidget(parent) {
    chooseColor = StandardColorChooser(this);
    choosePictures = [this](const QString& title, bool several) {
        const QString filter = ToQtNameFilters(filters::kTexture).join(QStringLiteral(";;"));
        QStringList chosen;
        if (several) {
            chosen = QFileDialog::getOpenFileNames(this, title, lastDirectory_, filter);
        } else {
            const QString one = QFileDialog::getOpenFileName(this, title, lastDirectory_, filter);
            if (!one.isEmpty()) {
                chosen << one;
            }
        }
        if (!chosen.isEmpty()) {
            lastDirectory_ = QFileInfo(chosen.constFirst()).absolutePath();
        }
        return chosen;
    };

    tabs_ = new QTabWidget(this);
    tabs_->setDocumentMode(true);
    // Every page's tab in sight: a modder switches between them all the time.
    tabs_->setUsesScrollButtons(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(tabs_);

    BuildObjectsPage();
    BuildBackgroundPage();
    BuildShadowsPage();
    BuildTexturesPage();
    BuildPaksPage();

    Refresh();
}

ScenePropertiesPanel::~ScenePropertiesPanel() = default;

void ScenePropertiesPanel::SetScene(COGLScene* scene) {
    scene_ = scene;
    shownPak_ = nullptr;
    pakRoot_.reset();
    Refresh();
}

void ScenePropertiesPanel::Changed() {
    if (onChanged) {
        onChanged();
    }
}

// --- Pages ---

void ScenePropertiesPanel::BuildObjectsPage() {
    auto* page = new QWidget;
    QVBoxLayout* layout = MakePageLayout(page);
    auto* split = new QSplitter(Qt::Vertical, page);
    split->setChildrenCollapsible(false);

    auto* objectsBox = new QWidget(split);
    auto* objectsLayout = new QVBoxLayout(objectsBox);
    objectsLayout->setContentsMargins(0, 0, 0, 0);
    objectsTitle_ = new QLabel(objectsBox);
    objects_ = MakeList(QStringLiteral("objects"), objectsBox);
    objectsLayout->addWidget(objectsTitle_);
    objectsLayout->addWidget(objects_, 1);

    auto* lightsBox = new QWidget(split);
    auto* lightsLayout = new QVBoxLayout(lightsBox);
    lightsLayout->setContentsMargins(0, 0, 0, 0);
    lightsTitle_ = new QLabel(lightsBox);
    lights_ = MakeList(QStringLiteral("lights"), lightsBox);
    lightsLayout->addWidget(lightsTitle_);
    lightsLayout->addWidget(lights_, 1);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);

    connect(objects_, &QListWidget::itemSelectionChanged, this, [this] { SelectFromList(objects_); });
    connect(lights_, &QListWidget::itemSelectionChanged, this, [this] { SelectFromList(lights_); });
    tabs_->addTab(page, QStringLiteral("Objects"));
}

void ScenePropertiesPanel::BuildBackgroundPage() {
    auto* page = new QWidget;
    QVBoxLayout* layout = MakePageLayout(page);

    QGroupBox* background = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Background"), background, page);
    backgroundColor_ = new ColorButton(background);
    backgroundColor_->setObjectName(QStringLiteral("backgroundColor"));
    form->addRow(QStringLiteral("Colour"), backgroundColor_);
    backgroundImage_ = new QLabel(background);
    backgroundImage_->setObjectName(QStringLiteral("backgroundImage"));
    backgroundImage_->setWordWrap(true);
    form->addRow(QStringLiteral("Image"), backgroundImage_);
    auto* load = MakeButton(QStringLiteral("Load Image..."), QStringLiteral("loadBackground"), background);
    auto* clear = MakeButton(QStringLiteral("Clear"), QStringLiteral("clearBackground"), background);
    clearBackground_ = clear;
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(load);
    buttons->addWidget(clear);
    form->addRow(buttons);
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
    form = MakeFormGroup(QStringLiteral("Lighting"), lighting, page);
    ambient_ = new ColorButton(lighting);
    ambient_->setObjectName(QStringLiteral("ambient"));
    ambient_->setToolTip(QStringLiteral("The light that reaches every surface from no particular light"));
    form->addRow(QStringLiteral("Ambient"), ambient_);
    layout->addWidget(lighting);
    layout->addStretch(1);

    connect(backgroundColor_, &ColorButton::clicked, this, [this] {
        if (scene_ == nullptr) {
            return;
        }
        if (const auto chosen = chooseColor(backgroundColor_->Color(), QStringLiteral("Background Colour"))) {
            scene_->SetBackgroundColor(static_cast<float>(chosen->redF()), static_cast<float>(chosen->greenF()),
                                       static_cast<float>(chosen->blueF()));
            RefreshBackground();
            Changed();
        }
    });
    connect(ambient_, &ColorButton::clicked, this, [this] {
        if (scene_ == nullptr) {
            return;
        }
        if (const auto chosen = chooseColor(ambient_->Color(), QStringLiteral("Ambient Light"))) {
            scene_->SetAmbient({static_cast<float>(chosen->redF()), static_cast<float>(chosen->greenF()),
                                static_cast<float>(chosen->blueF()), scene_->Ambient().alpha});
            RefreshBackground();
            Changed();
        }
    });
    connect(load, &QPushButton::clicked, this, &ScenePropertiesPanel::LoadBackground);
    connect(clear, &QPushButton::clicked, this, [this] {
        if (scene_ != nullptr && scene_->Background() != nullptr) {
            GetHost().MakeViewContextCurrent();
            if (beforeBackgroundChange) {
                beforeBackgroundChange("Clear Background");
            }
            scene_->ClearBackground();
            RefreshBackground();
            Changed();
        }
    });
    connect(modes, &QButtonGroup::idClicked, this, [this](int mode) {
        if (scene_ != nullptr && scene_->BackgroundMode() != mode) {
            scene_->SetBackgroundMode(mode);
            Changed();
        }
    });
    tabs_->addTab(page, QStringLiteral("Background"));
}

void ScenePropertiesPanel::BuildShadowsPage() {
    auto* page = new QWidget;
    QVBoxLayout* layout = MakePageLayout(page);
    shadowsEnabled_ = new QCheckBox(QStringLiteral("Cast shadows"), page);
    shadowsEnabled_->setObjectName(QStringLiteral("shadowsEnabled"));
    layout->addWidget(shadowsEnabled_);

    const auto tableGroup = [page, layout](const QString& title, const QString& name, QListWidget*& list,
                                                 QComboBox*& choice, const QString& note) {
        auto* group = new QGroupBox(title, page);
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
    QFormLayout* form = MakeFormGroup(QStringLiteral("Look"), look, page);
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
        if (scene_ == nullptr) {
            return;
        }
        const bool enabled = scene_->EnableShadows(on);
        if (on && !enabled) {
            GetHost().SetStatusText("Shadows need a casting light and a receiving plane.");
        }
        RefreshShadows();
        Changed();
    });
    connect(addPlane, &QPushButton::clicked, this, &ScenePropertiesPanel::AddShadowPlane);
    connect(addLight, &QPushButton::clicked, this, &ScenePropertiesPanel::AddShadowLight);
    connect(removePlane, &QPushButton::clicked, this, [this] { RemoveShadowEntry(shadowPlanes_, true); });
    connect(removeLight, &QPushButton::clicked, this, [this] { RemoveShadowEntry(shadowLights_, false); });
    connect(shadowBlending_, &QCheckBox::toggled, this, [this](bool on) {
        if (scene_ != nullptr) {
            scene_->SetShadowBlending(on);
            shadowOpacity_->setEnabled(on);
            Changed();
        }
    });
    connect(shadowOpacity_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (scene_ != nullptr) {
            scene_->SetShadowOpacity(static_cast<float>(value));
            Changed();
        }
    });
    tabs_->addTab(page, QStringLiteral("Shadows"));
}

void ScenePropertiesPanel::BuildTexturesPage() {
    auto* page = new QWidget;
    QVBoxLayout* layout = MakePageLayout(page);
    textures_ = MakeList(QStringLiteral("textures"), page);
    layout->addWidget(textures_, 1);
    auto* add = MakeButton(QStringLiteral("Add..."), QStringLiteral("addTexture"), page);
    auto* remove = MakeButton(QStringLiteral("Delete"), QStringLiteral("deleteTexture"), page);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(add);
    row->addWidget(remove);
    layout->addLayout(row);
    layout->addWidget(MakeNote(QStringLiteral("Pictures (BMP, PCX, TGA, JPEG, WAL, SWL) the scene's objects can wear; "
                                              "double-click one in a pak to add it too."),
                               page));
    connect(add, &QPushButton::clicked, this, &ScenePropertiesPanel::AddTexturesFromFiles);
    connect(remove, &QPushButton::clicked, this, &ScenePropertiesPanel::DeleteTexture);
    tabs_->addTab(page, QStringLiteral("Textures"));
}

void ScenePropertiesPanel::BuildPaksPage() {
    auto* page = new QWidget;
    QVBoxLayout* layout = MakePageLayout(page);
    paks_ = new QComboBox(page);
    paks_->setObjectName(QStringLiteral("paks"));
    paks_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    paks_->setMinimumContentsLength(12);
    layout->addWidget(paks_);

    pakTree_ = new QTreeWidget(page);
    pakTree_->setObjectName(QStringLiteral("pakTree"));
    pakTree_->setHeaderHidden(true);
    pakTree_->setUniformRowHeights(true);
    pakTree_->setExpandsOnDoubleClick(true);
    pakPlaceholder_ = new QLabel(page);
    pakPlaceholder_->setObjectName(QStringLiteral("pakPlaceholder"));
    pakPlaceholder_->setAlignment(Qt::AlignCenter);
    pakPlaceholder_->setWordWrap(true);
    pakPlaceholder_->setMargin(12);
    pakPlaceholder_->setEnabled(false);
    pakStack_ = new QStackedWidget(page);
    pakStack_->addWidget(pakPlaceholder_);
    pakStack_->addWidget(pakTree_);
    layout->addWidget(pakStack_, 1);
    layout->addWidget(MakeNote(QStringLiteral("Double-click a model to add it to the scene, or a picture to add it "
                                              "to the scene's textures."),
                               page));

    connect(paks_, &QComboBox::currentIndexChanged, this, [this](int index) {
        CPakFile* pak = index >= 0 ? ItemPointer<CPakFile>(paks_->itemData(index)) : nullptr;
        ShowPakTree(scene_ != nullptr && scene_->PositionOfPak(pak) >= 0 ? pak : nullptr);
    });
    // A double-click, or Enter on the chosen item (or a single click where the
    // desktop activates items that way).
    connect(pakTree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { ActivatePakItem(item); });
    tabs_->addTab(page, QStringLiteral("Paks"));
}

// --- Showing the scene ---

void ScenePropertiesPanel::Refresh() {
    setEnabled(scene_ != nullptr);
    RefreshSelectionLists();
    RefreshBackground();
    RefreshShadows();
    RefreshTextures();
    RefreshPaks();
}

void ScenePropertiesPanel::RefreshSelectionLists() {
    const QSignalBlocker a(objects_), b(lights_);
    if (scene_ == nullptr) {
        objects_->clear();
        lights_->clear();
        objectsTitle_->setText(QStringLiteral("Objects"));
        lightsTitle_->setText(QStringLiteral("Lights"));
        return;
    }
    const COGLObject* selected = scene_->Selected();
    // Rows are reused while the lists hold the same things, so a refresh after
    // every edit keeps the list where the user scrolled it.
    const auto row = [](QListWidget* list, int index, const void* thing) {
        QListWidgetItem* item = list->item(index);
        if (item == nullptr || item->data(Qt::UserRole) != ItemData(thing)) {
            return static_cast<QListWidgetItem*>(nullptr);
        }
        return item;
    };
    const auto show = [this](QListWidgetItem* item, const QString& text, bool on, const QString& offTip) {
        item->setText(text);
        item->setForeground(on ? palette().brush(QPalette::Active, QPalette::Text)
                               : palette().brush(QPalette::Disabled, QPalette::Text));
        item->setToolTip(on ? QString() : offTip);
    };

    const auto& objects = scene_->Objects();
    if (objects_->count() != static_cast<int>(objects.size())) {
        objects_->clear();
    }
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const COGLObject* object = objects[i].get();
        QListWidgetItem* item = row(objects_, static_cast<int>(i), object);
        if (item == nullptr) {
            delete objects_->takeItem(static_cast<int>(i));
            item = new QListWidgetItem;
            objects_->insertItem(static_cast<int>(i), item);
            item->setData(Qt::UserRole, ItemData(object));
        }
        show(item, ObjectLabel(*object), object->IsVisible(), QStringLiteral("Hidden"));
        item->setSelected(object == selected);
        if (object == selected) {
            objects_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        }
    }
    const auto& lights = scene_->Lights();
    if (lights_->count() != static_cast<int>(lights.size())) {
        lights_->clear();
    }
    for (std::size_t i = 0; i < lights.size(); ++i) {
        const COGLLight* light = lights[i].get();
        QListWidgetItem* item = row(lights_, static_cast<int>(i), light);
        if (item == nullptr) {
            delete lights_->takeItem(static_cast<int>(i));
            item = new QListWidgetItem;
            lights_->insertItem(static_cast<int>(i), item);
            item->setData(Qt::UserRole, ItemData(light));
        }
        show(item, LightLabel(*light), light->IsEnabled(), QStringLiteral("Off"));
        item->setSelected(&light->Marker() == selected);
        if (&light->Marker() == selected) {
            lights_->setCurrentItem(item, QItemSelectionModel::NoUpdate);
        }
    }
    objectsTitle_->setText(QStringLiteral("Objects (%1)").arg(objects.size()));
    lightsTitle_->setText(QStringLiteral("Lights (%1)").arg(lights.size()));
}

void ScenePropertiesPanel::RefreshBackground() {
    if (scene_ == nullptr) {
        return;
    }
    const auto& color = scene_->BackgroundColor();
    backgroundColor_->SetColor(ToQColor(color[0], color[1], color[2]));
    ambient_->SetColor(ToQColor(scene_->Ambient()));
    const COGLTexture2D* image = scene_->Background();
    if (image != nullptr && scene_->BackgroundValid()) {
        backgroundImage_->setText(TextureLabel(*image));
        backgroundImage_->setToolTip(TextureSource(*image));
    } else {
        backgroundImage_->setText(QStringLiteral("None"));
        backgroundImage_->setToolTip({});
    }
    clearBackground_->setEnabled(image != nullptr);
    const int mode = scene_->BackgroundMode();
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker block(backgroundModes_[i]);
        backgroundModes_[i]->setChecked(i == mode);
    }
}

void ScenePropertiesPanel::RefreshShadows() {
    if (scene_ == nullptr) {
        return;
    }
    const QSignalBlocker a(shadowsEnabled_), b(shadowBlending_), c(shadowOpacity_);
    shadowsEnabled_->setChecked(scene_->ShadowsEnabled());
    shadowBlending_->setChecked(scene_->ShadowBlending());
    shadowOpacity_->setValue(static_cast<double>(scene_->ShadowOpacity()));
    shadowOpacity_->setEnabled(scene_->ShadowBlending());

    shadowPlanes_->clear();
    for (COGLObject* plane : scene_->ShadowPlanes()) {
        auto* item = new QListWidgetItem(ObjectLabel(*plane), shadowPlanes_);
        item->setData(Qt::UserRole, ItemData(plane));
    }
    shadowLights_->clear();
    for (COGLLight* light : scene_->ShadowLights()) {
        auto* item = new QListWidgetItem(LightLabel(*light), shadowLights_);
        item->setData(Qt::UserRole, ItemData(light));
    }

    const QVariant planeChosen = planeChoice_->currentData();
    planeChoice_->clear();
    for (const auto& object : scene_->Objects()) {
        if (!scene_->IsShadowPlane(object.get())) {
            planeChoice_->addItem(ObjectLabel(*object), ItemData(object.get()));
        }
    }
    planeChoice_->setCurrentIndex(std::max(0, planeChoice_->findData(planeChosen)));
    const QVariant lightChosen = lightChoice_->currentData();
    lightChoice_->clear();
    for (const auto& light : scene_->Lights()) {
        if (!scene_->IsShadowLight(light.get())) {
            lightChoice_->addItem(LightLabel(*light), ItemData(light.get()));
        }
    }
    lightChoice_->setCurrentIndex(std::max(0, lightChoice_->findData(lightChosen)));
}

void ScenePropertiesPanel::RefreshTextures() {
    const QListWidgetItem* current = textures_->currentItem();
    const QVariant chosen = current != nullptr ? current->data(Qt::UserRole) : QVariant();
    textures_->clear();
    if (scene_ == nullptr) {
        return;
    }
    for (const auto& texture : scene_->Textures()) {
        auto* item = new QListWidgetItem(TextureLabel(*texture), textures_);
        item->setData(Qt::UserRole, ItemData(texture.get()));
        item->setToolTip(TextureSource(*texture));
        if (item->data(Qt::UserRole) == chosen) {
            textures_->setCurrentItem(item);
        }
    }
}

void ScenePropertiesPanel::RefreshPaks() {
    // The archive shown before, if the scene still holds it.
    CPakFile* shown = scene_ != nullptr ? scene_->PakAt(scene_->PositionOfPak(shownPak_)) : nullptr;
    {
        const QSignalBlocker block(paks_);
        paks_->clear();
        if (scene_ != nullptr) {
            for (int i = 0; i < scene_->PakCount(); ++i) {
                const CPakFile* pak = scene_->PakAt(i);
                const QString path = QString::fromStdString(pak->Path());
                paks_->addItem(QFileInfo(path).fileName(), ItemData(pak));
                paks_->setItemData(i, path, Qt::ToolTipRole);
            }
        }
        if (shown == nullptr && paks_->count() > 0) {
            shown = ItemPointer<CPakFile>(paks_->itemData(0));
        }
        paks_->setCurrentIndex(shown != nullptr ? paks_->findData(ItemData(shown)) : -1);
    }
    if (shown != shownPak_ || shown == nullptr) {
        ShowPakTree(shown);
    }
}

void ScenePropertiesPanel::ShowPakTree(CPakFile* pak) {
    pakTree_->clear();
    pakRoot_.reset();
    shownPak_ = pak;
    if (pak == nullptr) {
        pakPlaceholder_->setText(scene_ != nullptr && scene_->PakCount() > 0
                                     ? QStringLiteral("Choose an archive.")
                                     : QStringLiteral("No pak archives yet: open one with File, Open Pak File..."));
        pakStack_->setCurrentWidget(pakPlaceholder_);
        return;
    }
    pakRoot_ = std::make_unique<PakTreeNode>();
    pak->BuildDirectoryTree(*pakRoot_);
    if (pakRoot_->children.empty()) {
        pakPlaceholder_->setText(QStringLiteral("%1 holds nothing that can be put into a scene.")
                                     .arg(QFileInfo(QString::fromStdString(pak->Path())).fileName()));
        pakStack_->setCurrentWidget(pakPlaceholder_);
        return;
    }
    const QIcon folder = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon file = style()->standardIcon(QStyle::SP_FileIcon);
    AddTreeNodes(*pakRoot_, pakTree_->invisibleRootItem(), folder, file);
    pakStack_->setCurrentWidget(pakTree_);
}

void ScenePropertiesPanel::ShowPak(int position) {
    if (scene_ == nullptr || scene_->PakAt(position) == nullptr) {
        return;
    }
    CPakFile* pak = scene_->PakAt(position);
    RefreshPaks();
    {
        const QSignalBlocker block(paks_);
        paks_->setCurrentIndex(paks_->findData(ItemData(pak)));
    }
    if (shownPak_ != pak) {
        ShowPakTree(pak);
    }
    tabs_->setCurrentIndex(kPaksPage);
}

// --- Edits ---

void ScenePropertiesPanel::SelectFromList(QListWidget* list) {
    if (scene_ == nullptr) {
        return;
    }
    const QList<QListWidgetItem*> chosen = list->selectedItems();
    if (chosen.isEmpty()) {
        return;
    }
    const QVariant data = chosen.constFirst()->data(Qt::UserRole);
    if (list == objects_) {
        auto* object = ItemPointer<COGLObject>(data);
        if (scene_->IndexOfObject(object) < 0) {
            return;
        }
        scene_->SetSelectedObject(object);
        const QSignalBlocker block(lights_);
        lights_->clearSelection();
    } else {
        auto* light = ItemPointer<COGLLight>(data);
        if (scene_->IndexOfLight(light) < 0) {
            return;
        }
        scene_->SetSelectedLight(light);
        const QSignalBlocker block(objects_);
        objects_->clearSelection();
    }
    if (onSelectionChanged) {
        onSelectionChanged();
    }
}

void ScenePropertiesPanel::AddShadowPlane() {
    if (scene_ == nullptr || planeChoice_->currentIndex() < 0) {
        return;
    }
    if (static_cast<int>(scene_->ShadowPlanes().size()) >= COGLScene::kMaxShadowPlanes) {
        ShowMessage(msg::kNoMoreShadowPlanes);
        return;
    }
    auto* object = ItemPointer<COGLObject>(planeChoice_->currentData());
    if (scene_->IndexOfObject(object) < 0) {
        return;
    }
    scene_->AddShadowPlane(object);
    RefreshShadows();
    Changed();
}

void ScenePropertiesPanel::AddShadowLight() {
    if (scene_ == nullptr || lightChoice_->currentIndex() < 0) {
        return;
    }
    auto* light = ItemPointer<COGLLight>(lightChoice_->currentData());
    if (scene_->IndexOfLight(light) < 0) {
        return;
    }
    scene_->AddShadowLight(light);
    RefreshShadows();
    Changed();
}

void ScenePropertiesPanel::RemoveShadowEntry(QListWidget* list, bool plane) {
    if (scene_ == nullptr || list->currentItem() == nullptr) {
        return;
    }
    const QVariant data = list->currentItem()->data(Qt::UserRole);
    if (plane) {
        scene_->RemoveShadowPlane(ItemPointer<COGLObject>(data));
    } else {
        scene_->RemoveShadowLight(ItemPointer<COGLLight>(data));
    }
    RefreshShadows();
    Changed();
}

void ScenePropertiesPanel::LoadBackground() {
    if (scene_ == nullptr) {
        return;
    }
    const QStringList chosen = choosePictures(QStringLiteral("Background Image"), false);
    if (chosen.isEmpty()) {
        return;
    }
    // A failed load clears the old picture too; either way the page shows what is left.
    if (beforeBackgroundChange) {
        beforeBackgroundChange("Load Background");
    }
    const bool loaded = scene_->SetBackgroundFromFile(chosen.constFirst().toStdString());
    if (!loaded) {
        const QString name = QFileInfo(chosen.constFirst()).fileName();
        GetHost().SetStatusText(QStringLiteral("Could not use %1 as the background.").arg(name).toStdString());
    }
    RefreshBackground();
    Changed();
}

bool ScenePropertiesPanel::IsTextureEntry(const std::string& name) {
    const QString suffix = QFileInfo(QString::fromStdString(name)).suffix().toLower();
    static const QStringList kPictures{QStringLiteral("pcx"), QStringLiteral("tga"), QStringLiteral("wal"),
                                       QStringLiteral("jpg"), QStringLiteral("swl"), QStringLiteral("bmp")};
    return kPictures.contains(suffix);
}

COGLTexture2D* ScenePropertiesPanel::AddTexture(const std::string& path, CPakFile* pak) {
    if (scene_ == nullptr) {
        return nullptr;
    }
    const std::string source = pak == nullptr ? fs_util::ResolvePath(path) : path;
    for (const auto& texture : scene_->Textures()) {
        if (texture->Pak() == pak && fs_util::EqualsIgnoreCase(texture->Path(), source)) {
            return texture.get();
        }
    }
    auto texture = std::make_unique<COGLTexture2D>();
    if (!texture->SetSource(source, pak, 0)) {
        ShowMessage(msg::kCouldNotLoadBitmap);
        return nullptr;
    }
    GetHost().MakeViewContextCurrent();
    if (!texture->Load(scene_->TextureFilterMode()) || !texture->IsBound()) {
        return nullptr;
    }
    return scene_->AddTexture(std::move(texture));
}

void ScenePropertiesPanel::AddTexturesFromFiles() {
    if (scene_ == nullptr) {
        return;
    }
    const QStringList chosen = choosePictures(QStringLiteral("Add Textures"), true);
    const std::size_t before = scene_->Textures().size();
    for (const QString& path : chosen) {
        AddTexture(path.toStdString(), nullptr);
    }
    if (scene_->Textures().size() > before) {
        RefreshTextures();
        textures_->setCurrentRow(textures_->count() - 1);
        Changed();
    }
}

void ScenePropertiesPanel::DeleteTexture() {
    if (scene_ == nullptr) {
        return;
    }
    QListWidgetItem* item = textures_->currentItem();
    auto* texture = item != nullptr ? ItemPointer<COGLTexture2D>(item->data(Qt::UserRole)) : nullptr;
    if (texture == nullptr || scene_->IndexOfTexture(texture) < 0) {
        ShowMessage(msg::kSelectTextureFirst);
        return;
    }
    GetHost().MakeViewContextCurrent();
    if (!(deleteTexture ? deleteTexture(texture) : scene_->DeleteTexture(texture))) {
        ShowMessage(msg::kTextureInUse);
        return;
    }
    RefreshTextures();
    Changed();
}

void ScenePropertiesPanel::ActivatePakItem(QTreeWidgetItem* item) {
    if (item == nullptr || scene_ == nullptr || shownPak_ == nullptr) {
        return;
    }
    const QString entry = item->data(0, kEntryRole).toString();
    const int position = scene_->PositionOfPak(shownPak_);
    if (entry.isEmpty() || position < 0) {
        return;
    }
    CPakFile* pak = scene_->PakAt(position);
    const std::string name = entry.toStdString();
    if (IsTextureEntry(name)) {
        const int before = static_cast<int>(scene_->Textures().size());
        COGLTexture2D* texture = AddTexture(name, pak);
        if (texture == nullptr) {
            GetHost().SetStatusText(QStringLiteral("Could not load the texture %1.").arg(entry).toStdString());
            return;
        }
        const bool fresh = static_cast<int>(scene_->Textures().size()) > before;
        GetHost().SetStatusText(
            (fresh ? QStringLiteral("Added %1 to the scene's textures.")
                   : QStringLiteral("%1 is already one of the scene's textures."))
                .arg(QString::fromStdString(texture->Name()))
                .toStdString());
        RefreshTextures();
        if (fresh) {
            Changed();
        }
        return;
    }
    if (onPakItemActivated) {
        onPakItemActivated(*pak, name);
    }
}
