// The program: builds the application object and runs it.

#include "shell/gui/ZareloApplication.h"

int main(int argc, char** argv)
{
    zarelo::ZareloApplication application(argc, argv);
    return application.run();
}
