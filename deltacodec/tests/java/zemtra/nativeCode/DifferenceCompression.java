package zemtra.nativeCode;

// The Java side of the delta library, as the application declares it.
public final class DifferenceCompression {
    static {
        System.loadLibrary("DeltaCodec");
    }

    private DifferenceCompression() {}

    public static native int subtractAbsFromAbs(String target, String base, String delta);
    public static native int addDeltaToAbs(String base, String delta, String result);
    public static native int addDeltaToDelta(String first, String second, String result);
    public static native int inverseDelta(String base, String delta, String result);
    public static native boolean canUseSingleFile(int ignored);
    public static native int addDeltaToAbsSingle(int ignored, int alsoIgnored);
    public static native int test();
}
