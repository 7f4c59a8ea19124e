// The resource library for the interpreter's tests: error messages and the
// words for true and false come from it, so it is loaded once, before any
// test runs, by a global test environment.
#pragma once

#include <gtest/gtest.h>

class ResourceEnvironment : public ::testing::Environment {
  public:
    // Fails every test when the catalog is missing or malformed: the texts
    // the tests compare against would all be empty.
    void SetUp() override;
};
