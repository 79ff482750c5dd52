#pragma once

#include <memory>

#include <QString>

class QSoundEffect;

// The click most menu commands make before they do their work.
class ClickSound {
public:
    virtual ~ClickSound() = default;
    // Starts the sound and returns at once: true when it was started, false
    // when it cannot play (the command goes on without it).
    virtual bool Play() = 0;
};

// Plays "hit_ball.wav" from the working directory. A missing file or a
// machine without an audio output is silently skipped. The audio back end is
// started on the first click, not at start-up.
class FileClickSound : public ClickSound {
public:
    explicit FileClickSound(QString fileName = QStringLiteral("hit_ball.wav"));
    ~FileClickSound() override;
    bool Play() override;

private:
    QString fileName_;
    std::unique_ptr<QSoundEffect> effect_;
    QString loadedPath_;
};
