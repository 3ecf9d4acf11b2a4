#include "functions.h"

int main(void)
{
    return 0;
}
