package zemtra.nativeCode;

/** Java half of SpatialCodec, as the application declares it. */
public class SpatialCompression {
    static {
        System.loadLibrary("SpatialCodec");
    }

    public native int encode(byte[] source, int start, int end, byte[] destination,
                             int destinationOffset, int capacity, int ignored1, int ignored2);

    public native int decode(byte[] source, int start, int end, byte[] destination,
                             int destinationOffset, int capacity, int ignored1, int ignored2);

    public native int getImageFilterIndex();

    public native void resetImageFilterIndex(int index);

    public native boolean releaseImageFilterIndex(int index);

    public native void setBitsPerColor(int bits, int index);

    public native int encodeImageFilterFull(int[] pixels, int offset, int width, int height,
                                            int scanline, byte[] out, int outPos, int workSize,
                                            int index);

    public native int decodeImageFilterFull(byte[] coded, int start, int end, int[] pixels,
                                            int offset, int width, int height, int scanline,
                                            int index);

    public native boolean initializeBlockSet(int a, int b, int c);

    public native boolean doesBlockSetExist(int a, int b);

    public native void terminateBlockSet(int a, int b);

    public native void terminateAllBlockSets();
}
