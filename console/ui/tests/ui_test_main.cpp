#include <QApplication>

#include "started_window.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The texts' fit alone, as run again at other display scales.
    if (qEnvironmentVariable("QUILLARD_UI_SUITE") == QLatin1String("TextFit"))
        return RunTextFitTests(argc, argv);
    int failures = RunMainDialogTests(argc, argv);
    failures += RunProtocolTabTests(argc, argv);
    failures += RunPortLoopTests(argc, argv);
    failures += RunSimReaderTests(argc, argv);
    failures += RunFaultTests(argc, argv);
    failures += RunHexEditGbkTests(argc, argv);
    failures += RunTextFitTests(argc, argv);
    failures += RunWindowFaultTests(argc, argv);
    failures += RunSessionEndTests(argc, argv);
    return failures;
}
