// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include <QString>

// The click most menu commands make before they do their work.
class ClickSound {
public:
    virtual ~ClickSound() = default;
    // Starts the sound and returns at once: true when it was started, false
    // when it cannot play (the command goes on without it).
    virtual bool Play() = 0;
};

// Plays "hit_ball.wav" from the working directory through the desktop's
// event-sound library (libcanberra). A missing file, a missing library or a
// machine without an audio output is silently skipped. The library is loaded
// on the first click, so that start-up does not pay for the audio stack.
class FileClickSound : public ClickSound {
public:
    explicit FileClickSound(QString fileName = QStringLiteral("hit_ball.wav"));
    ~FileClickSound() override;
    Q_DISABLE_COPY_MOVE(FileClickSound)
    bool Play() override;

private:
    class Player;

    QString fileName_;
    std::unique_ptr<Player> player_;
    bool unavailable_ = false;
};
