// The object that carries the test framework's precompiled header.
