#include "application.h"
#include "rendermemory.h"

int main(int argc, char** argv)
{
    RenderMemory::setUpHeap();
    return CCollageApp::run(argc, argv);
}
