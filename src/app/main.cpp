#include "application.h"
#include "rendermemory.h"

int main(int argc, char** argv)
{
    RenderMemory::shareOneHeap();
    return CCollageApp::run(argc, argv);
}
