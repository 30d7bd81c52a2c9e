// The shared library's own translation unit; the exports live in the engine
// archive, which is linked in whole.
