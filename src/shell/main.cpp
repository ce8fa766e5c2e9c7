#include "HwApplication.h"
#include "Startup.h"

int main(int argc, char** argv)
{
    HwApplication app(argc, argv);
    app.installGermanTranslations();
    return runHolmwacht(app, app.arguments());
}
