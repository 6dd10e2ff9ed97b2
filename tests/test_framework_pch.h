// The test framework and the standard headers that nearly every test includes, compiled once
// for all test programs: parsing them was most of the native build's time.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
