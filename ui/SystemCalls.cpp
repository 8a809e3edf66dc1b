#include "ui/SystemCalls.h"

SystemCalls& System() {
    static SystemCalls calls;
    return calls;
}
