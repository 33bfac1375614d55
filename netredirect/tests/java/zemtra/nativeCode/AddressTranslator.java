package zemtra.nativeCode;

// The native methods of the packet redirector as the Java application declares them; the export
// check of NetRedirect.dll reads this file.
public class AddressTranslator {
  public static native boolean open();

  public static native boolean close();

  public static native boolean startTranslator();

  public static native boolean stopTranslator();

  public static native boolean isTranslatorRunning();

  public static native int getAdaptorHashCode();

  public static native boolean addLocalRedirect(int virtualAddress, int peerAddress,
      int virtualPort, int localPort);

  public static native boolean addRemoteRedirect(int virtualAddress, int targetAddress,
      int virtualPort, int targetPort, int hardwareTail, int hardwareHead);

  public static native boolean addSMBTranslations();
}
