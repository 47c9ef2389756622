// ZintraRadio: internet radio, the user's music and YouTube, with a live visualizer.
#include "shell/AppEntry.hpp"

#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(ZintraRadioPlugin)

int main(int argc, char** argv) {
    return ZintraRadio::runApplication(argc, argv);
}
