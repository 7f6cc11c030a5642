#include "console_app.h"

int main(int argc, char** argv)
{
    ConsoleApp app(argc, argv);
    app.InitInstance();
    return 0;
}
