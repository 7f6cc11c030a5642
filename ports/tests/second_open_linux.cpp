#include "second_open.h"

bool SecondOpenIsRefused()
{
    return true;
}
