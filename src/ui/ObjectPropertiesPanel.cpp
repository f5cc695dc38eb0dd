#include "ui/ObjectPropertiesPanel.h"

#include <QLabel>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "scene/COGLLight.h"
#include "scene/COGLObject.h"
#include "scene/COGLScene.h"
#include "ui/SceneNames.h"
#include "ui/object/AnimationPage.h"
#include "ui/object/LightPage.h"
#include "ui/object/MaterialPage.h"
#include "ui/object/ObjectPage.h"
#include "ui/object/PlayerPage.h"
#include "ui/object/SkinsPage.h"
#include "ui/object/SpotPage.h"
#include "ui/object/StudioPage.h"
#include "ui/object/TextPage.h"
#include "ui/object/TexturePage.h"

namespace {
// Each page scrolls on its own, so a short dock never squeezes the fields.
QWidget* Scrolling(QWidget* page, QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Never narrower than the page: no field is ever cut off at the side.
    scroll->setMinimumWidth(page->minimumSizeHint().width() +
                            scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    return scroll;
}
}  // namespace

ObjectPropertiesPanel::ObjectPropertiesPanel(QWidget* parent) : QWidget(parent) {
    chooseColor = StandardColorChooser(this);

    placeholder_ = new QLabel(QStringLiteral("Select an object or a light to see its properties."), this);
    placeholder_->setAlignment(Qt::AlignCenter);
    placeholder_->setWordWrap(true);
    placeholder_->setMargin(12);
    placeholder_->setEnabled(false);

    auto* sheet = new QWidget(this);
    auto* sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    sheetLayout->setSpacing(4);
    title_ = new QLabel(sheet);
    title_->setObjectName(QStringLiteral("title"));
    title_->setStyleSheet(QStringLiteral("font-weight: bold; padding: 2px 4px;"));
    title_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tabs_ = new QTabWidget(sheet);
    tabs_->setDocumentMode(true);
    tabs_->setUsesScrollButtons(true);
    sheetLayout->addWidget(title_);
    sheetLayout->addWidget(tabs_, 1);

    stack_ = new QStackedWidget(this);
    stack_->addWidget(placeholder_);
    stack_->addWidget(sheet);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(stack_);

    AddPage(std::make_unique<ObjectPage>());
    AddPage(std::make_unique<MaterialPage>(chooseColor));
    AddPage(std::make_unique<TexturePage>());
    AddPage(std::make_unique<TextPage>());
    AddPage(std::make_unique<LightPage>(chooseColor));
    AddPage(std::make_unique<SpotPage>());
    AddPage(std::make_unique<AnimationPage>());
    AddPage(std::make_unique<SkinsPage>());
    AddPage(std::make_unique<StudioPage>());
    AddPage(std::make_unique<PlayerPage>());
}

ObjectPropertiesPanel::~ObjectPropertiesPanel() = default;

void ObjectPropertiesPanel::SetScene(COGLScene* scene) {
    scene_ = scene;
    for (const Tab& tab : pages_) {
        tab.page->SetScene(scene);
    }
    shown_ = nullptr;
    Refresh();
}

COGLLight* ObjectPropertiesPanel::CurrentLight() const { return ObjectSheetPage::LightShownIn(scene_); }

COGLObject* ObjectPropertiesPanel::CurrentObject() const { return ObjectSheetPage::ObjectShownIn(scene_); }

void ObjectPropertiesPanel::AddPage(std::unique_ptr<PropertyPage> page) {
    Tab tab;
    tab.page = page.release();
    tab.page->SetScene(scene_);
    connect(tab.page, &PropertyPage::changed, this, [this] {
        if (onChanged) {
            onChanged();
        }
    });
    tab.widget = Scrolling(tab.page, tabs_);
    tabs_->setTabVisible(tabs_->addTab(tab.widget, tab.page->Title()), false);
    pages_.push_back(tab);
    shown_ = nullptr;
    Refresh();
}

void ObjectPropertiesPanel::Refresh() {
    const COGLLight* light = CurrentLight();
    const COGLObject* object = CurrentObject();
    const void* target = light != nullptr ? static_cast<const void*>(light) : static_cast<const void*>(object);
    if (target == nullptr) {
        shown_ = nullptr;
        // The map selected as a whole has its settings on the scene's sheet.
        const bool map = scene_ != nullptr && scene_->BackdropSelected();
        placeholder_->setText(map ? QStringLiteral("The map %1: its brightness, sky and brush entities are on the Map "
                                                   "page of Scene Properties.")
                                        .arg(GameText(scene_->Backdrop()->Name()))
                                  : QStringLiteral("Select an object or a light to see its properties."));
        stack_->setCurrentWidget(placeholder_);
        return;
    }
    stack_->setCurrentIndex(1);
    const bool fresh = target != shown_;
    shown_ = target;
    for (const Tab& tab : pages_) {
        const bool applies = tab.page->Applies();
        tabs_->setTabVisible(tabs_->indexOf(tab.widget), applies);
        if (applies) {
            tab.page->Refresh();
        }
    }
    ShowTitle(light, object);
    if (fresh || !tabs_->isTabVisible(tabs_->currentIndex())) {
        for (int i = 0; i < tabs_->count(); ++i) {
            if (tabs_->isTabVisible(i)) {
                tabs_->setCurrentIndex(i);
                break;
            }
        }
    }
}

void ObjectPropertiesPanel::ShowTitle(const COGLLight* light, const COGLObject* object) {
    if (light != nullptr) {
        title_->setText(QStringLiteral("%1  \u2013  %2")
                            .arg(GameText(light->Name()),
                                 light->IsSpot() ? QStringLiteral("Spot light") : QStringLiteral("Point light")));
        return;
    }
    const QString name = GameText(object->Name());
    const QString kind = ObjectKindName(object->TypeCode());
    title_->setText(name.isEmpty() ? kind : QStringLiteral("%1  \u2013  %2").arg(name, kind));
}

void ObjectPropertiesPanel::RefreshAnimation() {
    if (CurrentObject() == nullptr) {
        return;
    }
    for (const Tab& tab : pages_) {
        if (tab.page->Applies()) {
            tab.page->RefreshAnimation();
        }
    }
}
