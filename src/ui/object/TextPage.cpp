#include "ui/object/TextPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/Host.h"
#include "platform/Messages.h"
#include "scene/COGLText.h"
#include "ui/PropertyWidgets.h"
#include "ui/SceneNames.h"

namespace {
constexpr int kMaxTextLength = static_cast<int>(COGLText::kTextFieldSize) - 1;
constexpr int kMaxFontLength = static_cast<int>(COGLText::kFontFieldSize) - 1;
}  // namespace

TextPage::TextPage(QWidget* parent) : ObjectSheetPage(parent) {
    QVBoxLayout* layout = MakePageLayout(this);
    QGroupBox* group = nullptr;
    QFormLayout* form = MakeFormGroup(QStringLiteral("Text"), group, this);
    text_ = AddNamedRow(form, QStringLiteral("Text"), QStringLiteral("text"), new QLineEdit(group));
    font_ = MakeChoiceBox(QStringLiteral("font"), group);
    font_->setEditable(true);
    font_->setInsertPolicy(QComboBox::NoInsert);
    font_->addItems(QFontDatabase::families());
    form->addRow(QStringLiteral("Font"), font_);
    bold_ = new QCheckBox(QStringLiteral("Bold"), group);
    bold_->setObjectName(QStringLiteral("bold"));
    italic_ = new QCheckBox(QStringLiteral("Italic"), group);
    auto* style = new QHBoxLayout;
    style->addWidget(bold_);
    style->addWidget(italic_);
    style->addStretch(1);
    form->addRow(style);
    auto* apply = MakeButton(QStringLiteral("Apply Text"), QStringLiteral("applyText"), group);
    form->addRow(MakeButtonRow({apply}));
    layout->addWidget(group);

    QGroupBox* shape = nullptr;
    form = MakeFormGroup(QStringLiteral("Shape"), shape, this);
    outlineFormat_ = new QComboBox(shape);
    outlineFormat_->addItem(QStringLiteral("Solid"), COGLText::kOutlinePolygons);
    outlineFormat_->addItem(QStringLiteral("Outline"), COGLText::kOutlineLines);
    form->addRow(QStringLiteral("Drawn as"), outlineFormat_);
    extrusion_ = MakeRealBox(0.0, 10.0, 0.05, 2, shape);
    extrusion_->setSuffix(QStringLiteral(" em"));
    form->addRow(QStringLiteral("Depth"), extrusion_);
    spacing_ = MakeRealBox(-1.0, 10.0, 0.05, 2, shape);
    spacing_->setSuffix(QStringLiteral(" em"));
    form->addRow(QStringLiteral("Spacing"), spacing_);
    layout->addWidget(shape);
    layout->addStretch(1);

    connect(apply, &QPushButton::clicked, this, &TextPage::ApplyText);
    connect(text_, &QLineEdit::returnPressed, this, &TextPage::ApplyText);
    const auto textEdit = [this](auto&& change) {
        if (auto* text = dynamic_cast<COGLText*>(CurrentObject())) {
            GetHost().MakeViewContextCurrent();
            change(*text);
            emit changed();
        }
    };
    connect(bold_, &QCheckBox::toggled, this, [textEdit](bool on) { textEdit([on](COGLText& t) { t.SetBold(on); }); });
    connect(italic_, &QCheckBox::toggled, this,
            [textEdit](bool on) { textEdit([on](COGLText& t) { t.SetItalic(on); }); });
    connect(outlineFormat_, &QComboBox::currentIndexChanged, this, [this, textEdit](int index) {
        const int format = outlineFormat_->itemData(index).toInt();
        textEdit([format](COGLText& t) { t.SetOutlineFormat(format); });
    });
    connect(extrusion_, &QDoubleSpinBox::valueChanged, this, [textEdit](double value) {
        textEdit([value](COGLText& t) { t.SetExtrusion(static_cast<float>(value)); });
    });
    connect(spacing_, &QDoubleSpinBox::valueChanged, this, [textEdit](double value) {
        textEdit([value](COGLText& t) { t.SetSpacing(static_cast<float>(value)); });
    });
}

QString TextPage::Title() const { return QStringLiteral("Text"); }

bool TextPage::Applies() const { return dynamic_cast<const COGLText*>(CurrentObject()) != nullptr; }

void TextPage::Refresh() {
    const auto* text = dynamic_cast<const COGLText*>(CurrentObject());
    if (text == nullptr) {
        return;
    }
    const QSignalBlocker a(bold_), b(italic_), c(extrusion_), d(spacing_), e(outlineFormat_);
    if (!text_->hasFocus()) {
        text_->setText(GameText(text->Text()));
    }
    if (!font_->hasFocus()) {
        font_->setCurrentText(GameText(text->FontFace()));
    }
    bold_->setChecked(text->Bold());
    italic_->setChecked(text->Italic());
    extrusion_->setValue(static_cast<double>(text->Extrusion()));
    spacing_->setValue(static_cast<double>(text->Spacing()));
    outlineFormat_->setCurrentIndex(outlineFormat_->findData(text->OutlineFormat()));
}

void TextPage::ApplyText() {
    auto* text = dynamic_cast<COGLText*>(CurrentObject());
    if (text == nullptr) {
        return;
    }
    const QString font = font_->currentText().trimmed();
    if (font.isEmpty()) {
        ShowMessage(msg::kSelectFontFirst);
        return;
    }
    const QString typed = text_->text();
    if (typed.isEmpty()) {
        ShowMessage(msg::kEnterText);
        return;
    }
    const std::optional<std::string> value = ToSceneText(typed, text->Text(), kMaxTextLength);
    const std::optional<std::string> face =
        value ? ToSceneText(font, text->FontFace(), kMaxFontLength) : std::nullopt;
    if (!value || !face) {
        text_->setText(GameText(text->Text()));
        return;
    }
    if (typed.size() > kMaxTextLength) {
        ShowMessage(msg::kTextTooLong);
        text_->setText(GameText(*value));
    }
    GetHost().MakeViewContextCurrent();
    text->SetText(*value);
    text->SetFontFace(*face);
    Refresh();
    emit changed();
}
