#include "ui/VWepDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Messages.h"
#include "platform/Settings.h"
#include "ui/DialogButtons.h"
#include "ui/QtHost.h"

namespace keys = settings_keys;

VWepDialog::VWepDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Viewable Weapons (VWep)"));
    Settings& settings = GetSettings();
    browse = [this](const QString& title, const QString& current) {
        return QFileDialog::getOpenFileName(this, title, QFileInfo(current).absolutePath(),
                                            ToQtNameFilters(filters::kArchives).join(QStringLiteral(";;")));
    };

    enabled_ = new QCheckBox(QStringLiteral("Enabled"), this);
    enabled_->setChecked(settings.GetInt(keys::kVWep, keys::kEnabled, 0) != 0);
    vwepPak_ = new QLineEdit(QString::fromStdString(settings.GetString(keys::kVWep, keys::kVWepPakFile, "")), this);
    ctfPak_ = new QLineEdit(QString::fromStdString(settings.GetString(keys::kVWep, keys::kCTFPakFile, "")), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("VWep Pak File"), PathRow(vwepPak_, QStringLiteral("Select the VWep Pak File")));
    form->addRow(QStringLiteral("CTF Pak File"), PathRow(ctfPak_, QStringLiteral("Select the CTF Pak File")));

    QDialogButtonBox* buttons = MakeOkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabled_);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(480);
}

QWidget* VWepDialog::PathRow(QLineEdit* edit, const QString& title) {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new QPushButton(QStringLiteral("Browse..."), row);
    connect(button, &QPushButton::clicked, this, [this, edit, title] {
        const QString chosen = browse(title, edit->text());
        if (!chosen.isEmpty()) {
            edit->setText(chosen);
        }
    });
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    return row;
}

namespace {
// The scene knows a listed archive by its path: a pak named here as File > Open Pak
// named it is the same entry of the list, not a second one.
std::string ListedPath(const QLineEdit& edit) {
    const QString path = edit.text().trimmed();
    return path.isEmpty() ? std::string() : QFileInfo(path).absoluteFilePath().toStdString();
}
}  // namespace

void VWepDialog::WriteSettings() const {
    Settings& settings = GetSettings();
    settings.SetInt(keys::kVWep, keys::kEnabled, enabled_->isChecked() ? 1 : 0);
    settings.SetString(keys::kVWep, keys::kVWepPakFile, ListedPath(*vwepPak_));
    settings.SetString(keys::kVWep, keys::kCTFPakFile, ListedPath(*ctfPak_));
}
