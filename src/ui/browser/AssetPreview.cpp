#include "ui/browser/AssetPreview.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPainter>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

#include "ui/browser/AssetCatalog.h"

namespace {
// Names of animations listed before the rest are only counted.
constexpr int kNamesShown = 8;
constexpr int kMinimumPictureSide = 160;

// The area the strip's current tile is drawn into.
class PictureView : public QWidget {
public:
    explicit PictureView(QWidget* parent) : QWidget(parent) {
        setMinimumSize(kMinimumPictureSide, kMinimumPictureSide);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    std::function<void(QPainter& painter, const QRect& area)> paint;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (paint) {
            paint(painter, rect());
        }
    }
};

// The rectangle of a picture of `size` fitted into `area`, centred, never enlarged
// past four times its size.
QRect Fitted(const QSize& size, const QRect& area) {
    if (size.isEmpty() || area.isEmpty()) {
        return {};
    }
    QSize fitted = size.scaled(area.size(), Qt::KeepAspectRatio);
    if (fitted.width() > size.width() * 4) {
        fitted = size * 4;
    }
    QRect placed(QPoint(), fitted);
    placed.moveCenter(area.center());
    return placed;
}

QString FamilyName(const QString& family) {
    static const QHash<QString, QString> kNames{
        {QStringLiteral("md2"), QStringLiteral("Quake 2 model")},
        {QStringLiteral("player"), QStringLiteral("Quake 2 player")},
        {QStringLiteral("mdl"), QStringLiteral("Quake model")},
        {QStringLiteral("halflife"), QStringLiteral("Half-Life model")},
        {QStringLiteral("sin"), QStringLiteral("SiN model")},
        {QStringLiteral("sprite"), QStringLiteral("Sprite")},
        {QStringLiteral("map"), QStringLiteral("Map")},
        {QStringLiteral("picture"), QStringLiteral("Picture")}};
    return kNames.value(family, family);
}
}  // namespace

QString FactsText(const QByteArray& facts, int skins) {
    const QJsonObject object = QJsonDocument::fromJson(facts).object();
    if (object.isEmpty()) {
        return {};
    }
    const QString family = object.value(QStringLiteral("family")).toString();
    const bool picture = family == QStringLiteral("picture");
    const bool sprite = family == QStringLiteral("sprite");
    QStringList lines{FamilyName(family)};
    const int frames = object.value(QStringLiteral("frames")).toInt();
    if (!picture && frames > 0) {
        const QString what = sprite ? QStringLiteral("Pictures") : QStringLiteral("Frames");
        lines << QStringLiteral("%1: %2").arg(what).arg(frames);
    }
    QStringList names;
    const QJsonArray animations = object.value(QStringLiteral("animations")).toArray();
    for (const QJsonValue& name : animations) {
        if (names.size() == kNamesShown) {
            names << QStringLiteral("and %1 more").arg(animations.size() - kNamesShown);
            break;
        }
        names << name.toString();
    }
    if (!names.isEmpty()) {
        const bool sequences = family == QStringLiteral("halflife");
        lines << QStringLiteral("%1: %2").arg(sequences ? QStringLiteral("Sequences") : QStringLiteral("Animations"),
                                              names.join(QStringLiteral(", ")));
    }
    if (!picture && !sprite) {
        lines << QStringLiteral("Skins: %1").arg(skins >= 0 ? skins : object.value(QStringLiteral("skins")).toInt());
    }
    const int width = object.value(QStringLiteral("width")).toInt();
    const int height = object.value(QStringLiteral("height")).toInt();
    if (width > 0 && height > 0) {
        lines << QStringLiteral("%1: %2 \u00D7 %3")
                     .arg(picture || sprite ? QStringLiteral("Size") : QStringLiteral("Skin size"))
                     .arg(width)
                     .arg(height);
    }
    return lines.join(QLatin1Char('\n'));
}

AssetPreview::AssetPreview(QWidget* parent) : QWidget(parent), decoder_(1) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("previewTitle"));
    title_->setWordWrap(true);
    title_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* picture = new PictureView(this);
    picture->paint = [this](QPainter& painter, const QRect& area) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!strip_.isNull() && tiles_ > 0) {
            const int side = strip_.width() / tiles_;
            const QRect source(side * tile_, 0, side, strip_.height());
            painter.drawImage(Fitted(source.size(), area), strip_, source);
        } else if (!standIn_.isNull()) {
            painter.drawPixmap(Fitted(standIn_.size(), area), standIn_);
        }
    };
    picture_ = picture;
    facts_ = new QLabel(this);
    facts_->setObjectName(QStringLiteral("previewFacts"));
    facts_->setWordWrap(true);
    facts_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    facts_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(title_);
    layout->addWidget(picture_, 1);
    layout->addWidget(facts_);

    timer_.setInterval(1000 / kFramesPerSecond);
    connect(&timer_, &QTimer::timeout, this, [this] {
        tile_ = tiles_ > 0 ? (tile_ + 1) % tiles_ : 0;
        picture_->update();
    });
    Clear();
}

void AssetPreview::Clear() {
    ++shown_;
    skins_ = -1;
    timer_.stop();
    strip_ = {};
    standIn_ = {};
    tiles_ = 0;
    tile_ = 0;
    title_->setText(QStringLiteral("Choose an entry to see it here."));
    facts_->clear();
    picture_->update();
}

void AssetPreview::ShowEntry(const AssetEntry& entry, const QPixmap& thumbnail) {
    Clear();
    skins_ = entry.skins;
    standIn_ = thumbnail;
    title_->setText(QStringLiteral("<b>%1</b><br>%2<br>from %3")
                        .arg(entry.title.toHtmlEscaped(), entry.path.toHtmlEscaped(), entry.origin.toHtmlEscaped()));
    facts_->setText(QStringLiteral("Drawing the preview\u2026"));
}

void AssetPreview::ShowPreview(const QString& png, const QByteArray& facts) {
    const quint64 shown = shown_;
    facts_->setText(FactsText(facts, skins_));
    const int claimed = QJsonDocument::fromJson(facts).object().value(QStringLiteral("tiles")).toInt();
    decoder_.Decode(png, [this, shown, claimed](const QImage& strip) {
        if (shown != shown_) {
            return;
        }
        if (strip.isNull() || strip.height() <= 0) {
            facts_->setText(facts_->text() + QStringLiteral("\nThe preview's picture could not be read."));
            return;
        }
        // Tiles are square: the strip's width says how many there are when the facts do not.
        const int fit = std::max(1, strip.width() / strip.height());
        tiles_ = claimed > 0 && claimed <= strip.width() ? claimed : fit;
        tile_ = 0;
        strip_ = strip;
        Play();
        picture_->update();
    });
}

void AssetPreview::ShowFailure(const QString& reason) {
    facts_->setText(QStringLiteral("No preview: %1").arg(reason));
}

void AssetPreview::Play() {
    if (tiles_ > 1 && isVisible()) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

void AssetPreview::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

void AssetPreview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Play();
}
