package zemtra.nativeCode;

/** Java half of HostUtil, as the application declares it; the export check reads it. */
public class HostUtil {
    public static native long ipcChannelCreateNew(String channelId, int direction);
    public static native boolean ipcChannelPostData(long handle, String text);
    public static native String ipcChannelGetID(long handle);
    public static native boolean ipcChannelReadyToTalk(long handle);
    public static native boolean ipcChannelDisconnectAndRebuild(long handle);
    public static native boolean ipcChannelCloseExisting(long handle);
    public static native boolean ipcChannelShutdown(long handle);

    public static native int getActiveSessionId();
    public static native long getUserSessionID();
    public static native int getWindowStationNumber();
    public static native int createProcess(String application, String arguments);

    public static native boolean createAndSelectNewPowerSettingWithoutStandby();

    public static native String getAllKnown3rdPartyFirewallsInstalledOnThisSystem();
    public static native String getAllFirewallsRunningOnThisSystem(String[][] products);

    public static native String getDriveVId(char letter);
    public static native String getDrivePId(char letter);

    public static native boolean setServiceReadyForClientToStart(boolean ready);
    public static native boolean getServiceReadyForClientToStart();
    public static native boolean setWindowAlwaysOnTop(String title, boolean onTop);

    /** Called by the library for every message a channel receives. */
    public static void ipcSendReceivedDataToAllListeners(long handle, String text) {}
}
