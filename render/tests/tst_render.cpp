#include "render/render.h"
#include <gtest/gtest.h>
TEST(Render, Compila) {}
