// The test-support library: builders and helpers shared by the tests of every layer.
