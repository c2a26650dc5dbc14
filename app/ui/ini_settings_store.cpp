#include "app/ui/ini_settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include "app/core/watermark_intake.h"
#include "bitmap/picture_codec.h"

namespace app {
namespace {

using S = RememberedSettings;

const QString kConfName = QStringLiteral("gifrec.conf");
const QString kPictureName = QStringLiteral("watermark.png");
const QString kVersionKey = QStringLiteral("gifrec/version");
const QString kPictureKey = QStringLiteral("watermark/picture");
constexpr int kVersion = 1;
// Far beyond what gifrec writes; a larger file is not ours and is not read.
constexpr qint64 kMaxConfBytes = qint64{1} << 20;
constexpr qint64 kMaxPictureBytes = qint64{4} << 20;

struct IntKey {
    const char* key;
    int& (*field)(S&);
};
const IntKey kIntKeys[] = {
    {"capture/mode", [](S& s) -> int& { return s.captureMode; }},
    {"capture/left", [](S& s) -> int& { return s.region.left; }},
    {"capture/top", [](S& s) -> int& { return s.region.top; }},
    {"capture/right", [](S& s) -> int& { return s.region.right; }},
    {"capture/bottom", [](S& s) -> int& { return s.region.bottom; }},
    {"sliders/frameInterval", [](S& s) -> int& { return s.frameIntervalPosition; }},
    {"sliders/playSpeed", [](S& s) -> int& { return s.playSpeedPosition; }},
    {"sliders/brightness", [](S& s) -> int& { return s.brightnessPosition; }},
    {"sliders/blackWhite", [](S& s) -> int& { return s.blackWhitePosition; }},
    {"watermark/width", [](S& s) -> int& { return s.watermarkWidth; }},
    {"watermark/height", [](S& s) -> int& { return s.watermarkHeight; }},
    {"tools/quality", [](S& s) -> int& { return s.quality; }},
    {"tools/outputScalePercent", [](S& s) -> int& { return s.outputScalePercent; }},
    {"tools/sizeLimitMegabytes", [](S& s) -> int& { return s.sizeLimitMegabytes; }},
};

struct BoolKey {
    const char* key;
    bool S::*field;
};
const BoolKey kBoolKeys[] = {
    {"watermark/on", &S::watermarkOn},        {"tools/wholeFrames", &S::wholeFrames},
    {"tools/exactColours", &S::exactColours}, {"tools/countdown", &S::countdown},
    {"tools/fixedDelays", &S::fixedDelays},
};

struct TextKey {
    const char* key;
    std::string S::*field;
};
const TextKey kTextKeys[] = {{"tools/colours", &S::colours}, {"tools/language", &S::language}};

// One value as the file holds it: a single text. A key the file lacks keeps its default, so that
// a file from before a setting existed still loads; a value of the wrong form fails the load.
class Reader {
  public:
    explicit Reader(const QSettings& file) : file_(file) {}

    std::optional<QString> Text(const QString& key) {
        if (!file_.contains(key)) return std::nullopt;
        const QVariant value = file_.value(key);
        if (value.typeId() != QMetaType::QString) return Fail(key);
        return value.toString();
    }
    void Read(const char* key, int& out) {
        if (std::optional<QString> text = Text(QString::fromLatin1(key))) {
            bool ok = false;
            const int value = text->toInt(&ok);
            if (ok) {
                out = value;
            } else {
                Fail(QString::fromLatin1(key));
            }
        }
    }
    void Read(const char* key, bool& out) {
        if (std::optional<QString> text = Text(QString::fromLatin1(key))) {
            if (*text == QStringLiteral("true") || *text == QStringLiteral("false")) {
                out = *text == QStringLiteral("true");
            } else {
                Fail(QString::fromLatin1(key));
            }
        }
    }
    void Read(const char* key, std::string& out) {
        if (std::optional<QString> text = Text(QString::fromLatin1(key))) out = text->toStdString();
    }
    const std::string& Problem() const { return problem_; }

  private:
    std::nullopt_t Fail(const QString& key) {
        if (problem_.empty()) problem_ = "bad value for " + key.toStdString();
        return std::nullopt;
    }

    const QSettings& file_;
    std::string problem_;
};

SettingsLoad Defaults(SettingsLoad::Outcome outcome, std::string detail) {
    SettingsLoad load;
    load.outcome = outcome;
    load.detail = std::move(detail);
    return load;
}

// watermark.png as the 24-bit BMP file image the stamp takes; empty when it cannot be had.
PictureBytes ReadPicture(const QString& path, std::string& problem) {
    QFile file(path);
    if (file.size() > kMaxPictureBytes || !file.open(QIODevice::ReadOnly)) {
        problem = "cannot read " + path.toStdString();
        return {};
    }
    const QByteArray bytes = file.readAll();
    // A picture no watermark can be is refused before its pixels are allocated.
    const bitmap::DecodeLimits limits{kMaxWatermarkSide - 1, bitmap::kMaxImageBytes};
    bitmap::Image24 image;
    const bitmap::DecodeStatus status = bitmap::DecodePicture(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), size_t(bytes.size())), image,
        limits);
    if (status != bitmap::DecodeStatus::Ok) {
        problem = path.toStdString() + " is not a picture";
        return {};
    }
    return bitmap::EncodeBmp24(image);
}

}  // namespace

IniSettingsStore::IniSettingsStore(QString folder) : folder_(std::move(folder)) {}

QString IniSettingsStore::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/gifrec");
}

QString IniSettingsStore::ConfPath() const {
    return folder_ + QLatin1Char('/') + kConfName;
}

QString IniSettingsStore::PicturePath() const {
    return folder_ + QLatin1Char('/') + kPictureName;
}

SettingsLoad IniSettingsStore::Load() {
    using Outcome = SettingsLoad::Outcome;
    const QFileInfo info(ConfPath());
    if (!info.exists()) return Defaults(Outcome::Missing, {});
    QFile probe(ConfPath());
    if (!info.isFile() || !probe.open(QIODevice::ReadOnly)) {
        return Defaults(Outcome::Unreadable, "cannot read " + ConfPath().toStdString());
    }
    if (info.size() > kMaxConfBytes) {
        return Defaults(Outcome::Damaged, ConfPath().toStdString() + " is too large");
    }
    const QSettings file(ConfPath(), QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        return Defaults(Outcome::Damaged, ConfPath().toStdString() + " is not an INI file");
    }
    if (file.value(kVersionKey).toString() != QString::number(kVersion)) {
        return Defaults(Outcome::Damaged, "no gifrec/version=1 in " + ConfPath().toStdString());
    }
    RememberedSettings settings;
    Reader reader(file);
    for (const IntKey& k : kIntKeys) reader.Read(k.key, k.field(settings));
    for (const BoolKey& k : kBoolKeys) reader.Read(k.key, settings.*k.field);
    for (const TextKey& k : kTextKeys) reader.Read(k.key, settings.*k.field);
    const std::optional<QString> picture = reader.Text(kPictureKey);
    std::string problem = reader.Problem();
    if (problem.empty() && picture && !picture->isEmpty()) {
        if (*picture != kPictureName) {
            problem = "watermark/picture names another file than " + kPictureName.toStdString();
        } else {
            settings.watermarkPicture = ReadPicture(PicturePath(), problem);
        }
    }
    if (problem.empty()) problem = RememberedSettingsProblem(settings);
    if (!problem.empty()) return Defaults(Outcome::Damaged, problem);
    pictureKnown_ = true;
    writtenPicture_ = settings.watermarkPicture;
    return {Outcome::Loaded, std::move(settings), {}};
}

bool IniSettingsStore::SavePicture(const PictureBytes& picture) {
    if (pictureKnown_ && picture == writtenPicture_) return true;
    if (picture.empty()) {
        if (QFile::exists(PicturePath()) && !QFile::remove(PicturePath())) {
            saveError_ = "cannot remove " + PicturePath().toStdString();
            return false;
        }
    } else {
        const QImage image = QImage::fromData(
            QByteArrayView(reinterpret_cast<const char*>(picture.data()), picture.size()), "BMP");
        QSaveFile file(PicturePath());
        if (image.isNull() || !file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") ||
            !file.commit()) {
            saveError_ = "cannot write " + PicturePath().toStdString() + ": " +
                         file.errorString().toStdString();
            return false;
        }
    }
    pictureKnown_ = true;
    writtenPicture_ = picture;
    return true;
}

bool IniSettingsStore::Save(const RememberedSettings& settings) {
    saveError_.clear();
    if (!QDir().mkpath(folder_)) {
        saveError_ = "cannot create " + folder_.toStdString();
        return false;
    }
    if (!SavePicture(settings.watermarkPicture)) return false;
    QSettings file(ConfPath(), QSettings::IniFormat);
    file.clear();
    file.setValue(kVersionKey, QString::number(kVersion));
    RememberedSettings copy = settings;
    for (const IntKey& k : kIntKeys) file.setValue(k.key, QString::number(k.field(copy)));
    for (const BoolKey& k : kBoolKeys) {
        file.setValue(k.key, settings.*k.field ? QStringLiteral("true") : QStringLiteral("false"));
    }
    for (const TextKey& k : kTextKeys) {
        file.setValue(k.key, QString::fromStdString(settings.*k.field));
    }
    file.setValue(kPictureKey, settings.watermarkPicture.empty() ? QString() : kPictureName);
    file.sync();
    if (file.status() != QSettings::NoError) {
        saveError_ = "cannot write " + ConfPath().toStdString();
        return false;
    }
    return true;
}

}  // namespace app
