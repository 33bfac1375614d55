package zemtra.nativeCode;

// The Java side of the video encoder library, as the application declares it.
public class VideoEncoderNative {
    static {
        System.loadLibrary("VidEnc");
    }

    public native int newImageDataSource(int width, int height);
    public native void deleteImageDataSource(int source);
    public native void updateDataYUV22(byte[] frame, int source);
    public native boolean updateDataFromFileYUV22(String nameFormat, int number, int source);
    public native int newEncoder(int width, int height);
    public native void deleteEncoder(int encoder);
    public native void setImageDataSource(int source, int encoder);
    public native void setAveragedFrames(int encoder, int count);
    public native int getAveragedFrames(int encoder);
    public native boolean makeAbsolutePacket(int encoder, byte[] frame, int targetBits, int fixedQuant);
    public native boolean makeRelativePacket(int encoder, byte[] frame, int targetBits, int fixedQuant);
    public native int getPacketBitLength(int encoder);
    public native boolean getPacketData(byte[] out, int encoder);
}
