// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sound.h"

#include "app/app_id.h"

#include <canberra.h>
#include <dlfcn.h>

#include <QFileInfo>

namespace {

// The one sound this program plays; a new click cancels the one before.
constexpr uint32_t kClickId = 1;

template <class Function> bool Resolve(void* library, const char* name, Function*& function) {
    function = reinterpret_cast<Function*>(dlsym(library, name));
    return function != nullptr;
}

// libcanberra, opened with dlopen so that neither the library nor its audio
// back end is loaded before the first click. The library stays loaded for the
// rest of the run: its back end may keep threads of its own.
class EventSounds : public SoundOutput {
public:
    ~EventSounds() override {
        if (context_)
            destroy_(context_);
    }

    // Loads the library and opens a context on the audio output; false when
    // either cannot be done.
    bool Open() {
        void* library = dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return false;
        decltype(&ca_context_create) create = nullptr;
        decltype(&ca_context_open) open = nullptr;
        decltype(&ca_context_change_props) changeProps = nullptr;
        if (!Resolve(library, "ca_context_create", create) ||
            !Resolve(library, "ca_context_open", open) ||
            !Resolve(library, "ca_context_change_props", changeProps) ||
            !Resolve(library, "ca_context_destroy", destroy_) ||
            !Resolve(library, "ca_context_play", play_) ||
            !Resolve(library, "ca_context_cancel", cancel_))
            return false;
        if (create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            return false;
        }
        changeProps(context_, CA_PROP_APPLICATION_NAME, "Kavora", CA_PROP_APPLICATION_ID,
                    kui::kAppId, nullptr);
        return open(context_) == CA_SUCCESS;
    }

    bool Play(const QByteArray& path) override {
        // A click that is still sounding starts again from the top.
        cancel_(context_, kClickId);
        return play_(context_, kClickId, CA_PROP_MEDIA_FILENAME, path.constData(), nullptr) ==
               CA_SUCCESS;
    }

private:
    ca_context* context_ = nullptr;
    decltype(&ca_context_destroy) destroy_ = nullptr;
    decltype(&ca_context_play) play_ = nullptr;
    decltype(&ca_context_cancel) cancel_ = nullptr;
};

} // namespace

std::unique_ptr<SoundOutput> OpenEventSounds() {
    auto output = std::make_unique<EventSounds>();
    if (!output->Open())
        return nullptr;
    return output;
}

FileClickSound::FileClickSound(QString fileName, SoundOutputMaker makeOutput)
    : fileName_(std::move(fileName)), makeOutput_(std::move(makeOutput)) {}

FileClickSound::~FileClickSound() = default;

bool FileClickSound::Play() {
    QFileInfo file(fileName_);
    if (unavailable_ || !file.isFile() || !file.isReadable())
        return false;
    if (!output_) {
        output_ = makeOutput_();
        if (!output_) {
            // No library or no audio output: the program stays silent rather
            // than trying again on every command.
            unavailable_ = true;
            return false;
        }
    }
    return output_->Play(QFile::encodeName(file.absoluteFilePath()));
}
