#include "app/Startup.h"

int main(int argc, char** argv)
{
    return runRespiteKeeper(argc, argv);
}
