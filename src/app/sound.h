// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>

// The click most menu commands make before they do their work.
class ClickSound {
public:
    virtual ~ClickSound() = default;
    // Starts the sound and returns at once: true when it was started, false
    // when it cannot play (the command goes on without it).
    virtual bool Play() = 0;
};

// What a click sound plays through: the desktop's event-sound library in the
// program, a recorder in the tests.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts the sound file `path` (an absolute file name) from the top,
    // cutting off the one it started before; false when it cannot.
    virtual bool Play(const QByteArray& path) = 0;
};

// Makes the output on the first click: null when there is none.
using SoundOutputMaker = std::function<std::unique_ptr<SoundOutput>()>;

// The desktop's event-sound library (libcanberra) on the audio output; null
// when the library or the output is missing.
std::unique_ptr<SoundOutput> OpenEventSounds();

// Plays "hit_ball.wav" from the working directory through its output. A
// missing file, a missing library or a machine without an audio output is
// silently skipped. The output is made on the first click, so that start-up
// does not pay for the audio stack, and never again once it failed.
class FileClickSound : public ClickSound {
public:
    explicit FileClickSound(QString fileName = QStringLiteral("hit_ball.wav"),
                            SoundOutputMaker makeOutput = OpenEventSounds);
    ~FileClickSound() override;
    Q_DISABLE_COPY_MOVE(FileClickSound)
    bool Play() override;

private:
    QString fileName_;
    SoundOutputMaker makeOutput_;
    std::unique_ptr<SoundOutput> output_;
    bool unavailable_ = false;
};
