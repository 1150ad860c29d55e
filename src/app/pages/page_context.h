#pragma once
// What the pages of the main window share with it: the platform (message boxes, choosers), the two
// dialogs, the log of the Log page, and the error handling every handler runs through.

#include <QAbstractButton>
#include <QObject>
#include <utility>

#include "app/platform/error_handler.h"
#include "app/platform/platform.h"
#include "batch/log_sink.h"

namespace parvex {

class TAddTagDialog;

// What the picture choosers offer; the data decide what a file is, not its name.
inline constexpr const char* kPictureFilter = "Pictures (*.jpg;*.jpeg;*.png)|*.jpg;*.jpeg;*.png|";
class TAddWordDialog;

class TPageContext {
public:
    // `platform` and `log` must outlive every page that uses the context.
    TPageContext(TPlatform& platform, TLogSink& log) : platform_(platform), log_(log) {}

    TPlatform& Platform() const { return platform_; }
    // Where a page writes a line for the Log page.
    TLogSink& Log() const { return log_; }

    // Runs a handler through the application's error handler; while the settings are read, an error
    // of a handler is dropped, so that the next value is restored.
    template <typename Handler>
    void Handle(Handler&& handler) const;
    // Runs `handler` through Handle on every click of `button`.
    template <typename Handler>
    void OnClick(QAbstractButton* button, QObject* receiver, Handler handler) const {
        QObject::connect(button, &QAbstractButton::clicked, receiver, [this, handler] { Handle(handler); });
    }

    // True while the window's first show reads the settings.
    bool restoringSettings = false;
    // The Add a Tag and Add a word dialogs; set once they exist, before the user can reach a page.
    TAddTagDialog* addTagDialog = nullptr;
    TAddWordDialog* addWordDialog = nullptr;

private:
    TPlatform& platform_;
    TLogSink& log_;
};

template <typename Handler>
void TPageContext::Handle(Handler&& handler) const {
    if (!restoringSettings) {
        RunHandler(platform_, std::forward<Handler>(handler));
        return;
    }
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        // A restored value the window cannot act on is passed over without a word, like a value the
        // settings file holds badly; the user meets the same error when acting on it.
    }
}

}  // namespace parvex
