package zemtra.nativeCode;

// The native methods of the capture window as the Java application declares them; the export
// check of CamCapture.dll reads this file.
public class ZemtraCaptureWindow {
  public native boolean ZemtraCaptureWindowNative(int driver, int width, int height, boolean show);

  public native int getDriverListCount();

  public native String getDriverName(int driver);

  public native boolean captureColorData(int[] data);

  public native boolean captureBWData(byte[] data);

  public native boolean captureYUVData(byte[] data);

  public native boolean captureYUV22Data(byte[] data);

  public native boolean captureSizedColorData(int[] data, int width, int height);

  public native boolean captureSizedBWData(byte[] data, int width, int height);

  public native boolean captureSizedYUVData(byte[] data, int width, int height);

  public native boolean captureSizedYUV22Data(byte[] data, int width, int height);

  public native boolean resize(int width, int height, boolean resizeWindow);

  public native void showWindow(boolean show);

  public native int disconnectCaptureWindow();

  public native void closeWindow();
}
