#include "application.h"

int main(int argc, char** argv)
{
    return CCollageApp::run(argc, argv);
}
