// Keeps the fakes library non-empty until a fake needs a source file of its own.
