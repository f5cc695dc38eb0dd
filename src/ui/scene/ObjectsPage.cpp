#include "ui/scene/ObjectsPage.h"

#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>

#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"
#include "ui/scene/SceneSheetHooks.h"

ObjectsPage::ObjectsPage(const SceneSheetHooks& hooks, QWidget* parent)
    : PropertyPage(parent), hooks_(hooks) {
    QVBoxLayout* layout = MakePageLayout(this);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setChildrenCollapsible(false);

    // A list under its title, in its own part of the split.
    const auto part = [split](const QString& name, QLabel*& title, QListWidget*& list) {
        auto* box = new QWidget(split);
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        title = new QLabel(box);
        list = MakeList(name, box);
        column->addWidget(title);
        column->addWidget(list, 1);
    };
    part(QStringLiteral("objects"), objectsTitle_, objects_);
    part(QStringLiteral("lights"), lightsTitle_, lights_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    layout->addWidget(split, 1);

    connect(objects_, &QListWidget::itemSelectionChanged, this, [this] { SelectFromList(objects_); });
    connect(lights_, &QListWidget::itemSelectionChanged, this, [this] { SelectFromList(lights_); });
}

QString ObjectsPage::Title() const { return QStringLiteral("Objects"); }

void ObjectsPage::Refresh() {
    COGLScene* scene = Scene();
    const QSignalBlocker a(objects_), b(lights_);
    if (scene == nullptr) {
        objects_->clear();
        lights_->clear();
        objectsTitle_->setText(QStringLiteral("Objects"));
        lightsTitle_->setText(QStringLiteral("Lights"));
        return;
    }
    const COGLObject* selected = scene->Selected();
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

    // `shows` names the thing in its row and says whether it is the selection.
    const auto fill = [&row](QListWidget* list, const auto& things, const auto& shows) {
        if (list->count() != static_cast<int>(things.size())) {
            list->clear();
        }
        for (std::size_t i = 0; i < things.size(); ++i) {
            const auto* thing = things[i].get();
            QListWidgetItem* item = row(list, static_cast<int>(i), thing);
            if (item == nullptr) {
                delete list->takeItem(static_cast<int>(i));
                item = new QListWidgetItem;
                list->insertItem(static_cast<int>(i), item);
                item->setData(Qt::UserRole, ItemData(thing));
            }
            const bool chosen = shows(*thing, item);
            item->setSelected(chosen);
            if (chosen) {
                list->setCurrentItem(item, QItemSelectionModel::NoUpdate);
            }
        }
    };
    const auto& objects = scene->Objects();
    fill(objects_, objects, [&](const COGLObject& object, QListWidgetItem* item) {
        show(item, ObjectLabel(object), object.IsVisible(), QStringLiteral("Hidden"));
        return &object == selected;
    });
    const auto& lights = scene->Lights();
    fill(lights_, lights, [&](const COGLLight& light, QListWidgetItem* item) {
        show(item, LightLabel(light), light.IsEnabled(), QStringLiteral("Off"));
        return &light.Marker() == selected;
    });
    objectsTitle_->setText(QStringLiteral("Objects (%1)").arg(objects.size()));
    lightsTitle_->setText(QStringLiteral("Lights (%1)").arg(lights.size()));
}

void ObjectsPage::SelectFromList(QListWidget* list) {
    COGLScene* scene = Scene();
    if (scene == nullptr) {
        return;
    }
    const QList<QListWidgetItem*> chosen = list->selectedItems();
    if (chosen.isEmpty()) {
        return;
    }
    const QVariant data = chosen.constFirst()->data(Qt::UserRole);
    if (list == objects_) {
        auto* object = ItemPointer<COGLObject>(data);
        if (scene->IndexOfObject(object) < 0) {
            return;
        }
        scene->SetSelectedObject(object);
        const QSignalBlocker block(lights_);
        lights_->clearSelection();
    } else {
        auto* light = ItemPointer<COGLLight>(data);
        if (scene->IndexOfLight(light) < 0) {
            return;
        }
        scene->SetSelectedLight(light);
        const QSignalBlocker block(objects_);
        objects_->clearSelection();
    }
    if (hooks_.onSelectionChanged) {
        hooks_.onSelectionChanged();
    }
}
