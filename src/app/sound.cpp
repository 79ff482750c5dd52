#include "app/sound.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

FileClickSound::FileClickSound(QString fileName) : fileName_(std::move(fileName)) {}

FileClickSound::~FileClickSound() = default;

bool FileClickSound::Play() {
    QFileInfo file(fileName_);
    if (!file.isFile() || !file.isReadable())
        return false;
    QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull())
        return false;
    const QString path = file.absoluteFilePath();
    if (!effect_ || loadedPath_ != path) {
        effect_ = std::make_unique<QSoundEffect>(output);
        effect_->setSource(QUrl::fromLocalFile(path));
        loadedPath_ = path;
    }
    if (effect_->status() == QSoundEffect::Error)
        return false;
    // A click that is still sounding starts again from the top.
    if (effect_->isPlaying())
        effect_->stop();
    effect_->play();
    return true;
}
