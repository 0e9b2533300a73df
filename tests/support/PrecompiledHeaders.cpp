// The anchor of a test folder's precompiled headers: it compiles nothing of its own.
