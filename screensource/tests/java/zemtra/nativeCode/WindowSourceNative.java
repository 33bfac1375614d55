package zemtra.nativeCode;

// The native methods of the screen source as the Java application declares them (selection,
// packets); the export check of ScreenSource.dll reads this file.
public class WindowSourceNative {
  public static native int getDesktopWindow();

  public static native int getSelectedWindow();

  public static native int getNamedWindow(String titlePrefix);

  public static native int getLocatedWindow(int x, int y);

  public static native int closeWindow(int slot);

  public static native int startSendingUpdates(int slot);

  public static native int copyCurrentDataPacket(byte[] packet);

  public static native void setBitsPerColor(int bits, int slot);

  public static native int getPixelWidth(int slot);

  public static native int getPixelHeight(int slot);

  public static native void raisePendingRestartFlag(int slot);

  public static native void simulateKeyStroke(int virtualKey, boolean down, int unused);

  public static native void simulateMouseAction(int action, int x, int y, int unused);

  public static native boolean simulateCtlAltDel();

  public static native int getKeyToggleState(int virtualKey);

  public static native int setKeyToggleState(int virtualKey, boolean on);

  public static native int saveStateOfDragFullWindows();

  public static native int setStateOfDragFullWindows();

  public static native int restoreStateOfDragFullWindows();

  public static native int saveStateOfWallpaper();

  public static native int setStateOfNoWallpaper();

  public static native int restoreStateOfWallpaper();

  public static native int saveStateOfKeyDelay();

  public static native int setStateOfKeyDelay();

  public static native int restoreStateOfKeyDelay();

  // Called by the packet thread with the length of the packet it has ready.
  public static void notifyPendingMessage(int length, int tag) {}
}
