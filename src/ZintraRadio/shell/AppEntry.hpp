// The application's start and end: the icon export run, the single instance, the signals that
// quit, the translations, the main window, the scripted hooks, and the shutdown that stops
// playback, finishes recordings and saves before the process ends.
#pragma once

#include <functional>

class QQuickWindow;

namespace ZintraRadio {

struct EntryOptions {
    // Called once, when the main window has shown its first frame (the start benchmark).
    std::function<void(QQuickWindow&)> firstFrame;
};

// Runs the application; returns the process's exit status.
int runApplication(int argc, char** argv, const EntryOptions& options = {});

// Takes the window's views away and hides it. The scene graph frees the nodes and textures of
// items that went away only while it draws a frame, and an idle window draws none: the views
// go first, then one last frame lets it free what they held.
void finishScene(QQuickWindow& window);

// The icon export run: when ZINTRARADIO_EXPORT_APPICON is set (to anything, also empty),
// writes the icon set into that folder and returns true; needs no application object.
bool exportIconsIfAsked();

} // namespace ZintraRadio
