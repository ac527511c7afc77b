#include "ProcessObjects.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return corvina::runProgram();
}
