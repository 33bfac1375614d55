// Placeholder until the JNI methods land.
