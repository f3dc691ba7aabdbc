#include "scene/KeyLatch.h"

KeyLatch& KeyLatch::GetInstance() {
    static KeyLatch latch;
    return latch;
}
