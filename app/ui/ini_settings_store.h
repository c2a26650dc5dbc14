// The remembered settings in Qt's INI format, gifrec.conf in one folder, with the watermark
// picture beside it as watermark.png, so that a watermark made in the maker window (which has
// no file of its own) comes back, and the user can see which picture it is.
#pragma once

#include <QString>

#include "app/core/remembered_settings.h"

namespace app {

class IniSettingsStore : public RememberedSettingsStore {
  public:
    explicit IniSettingsStore(QString folder);

    // $XDG_CONFIG_HOME/gifrec (~/.config/gifrec without it).
    static QString DefaultFolder();

    QString ConfPath() const;
    QString PicturePath() const;

    SettingsLoad Load() override;
    // Writes the picture first (only when it changed), then the settings, each file whole.
    bool Save(const RememberedSettings& settings) override;
    std::string SaveError() const override { return saveError_; }

  private:
    bool SavePicture(const PictureBytes& picture);

    QString folder_;
    std::string saveError_;
    bool pictureKnown_ = false;  // whether watermark.png holds writtenPicture_
    PictureBytes writtenPicture_;
};

}  // namespace app
