// A second floater's start, without its window: hands the command line's
// personal number to the floater that runs. Exit code 0 when delivered, 2
// when no floater runs, 1 when the message could not be sent.

#include "app/floater/FloaterMessages.h"
#include "platform/win32/Win32Desktop.h"

int main(int argc, char** argv)
{
    platform::Win32Desktop desktop;
    switch (floater::handOverToRunningFloater(desktop, std::vector<std::string>(argv + 1, argv + argc))) {
    case floater::HandOver::Delivered:
        return 0;
    case floater::HandOver::NoFloater:
        return 2;
    case floater::HandOver::Failed:
        break;
    }
    return 1;
}
