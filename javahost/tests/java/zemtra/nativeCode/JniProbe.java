package zemtra.nativeCode;

import java.util.ArrayList;
import java.util.List;

/** Java half of the probe library: two native methods and the static callback it calls. */
public final class JniProbe {
    static {
        System.loadLibrary("JniProbe");
    }

    /** One callback as it arrived. */
    public static final class Received {
        public final long id;
        public final String text;
        public final Thread thread;

        Received(long id, String text, Thread thread) {
            this.id = id;
            this.text = text;
            this.thread = thread;
        }
    }

    private static final List<Received> received = new ArrayList<>();

    private JniProbe() {}

    public static native int add(int a, int b);

    /** Calls probeCallback(id + i, text) for i below times from a native thread of its own. */
    public static native boolean callBackFromThread(long id, String text, int times);

    static void probeCallback(long id, String text) {
        synchronized (received) {
            received.add(new Received(id, text, Thread.currentThread()));
        }
    }

    public static List<Received> takeReceived() {
        synchronized (received) {
            List<Received> copy = new ArrayList<>(received);
            received.clear();
            return copy;
        }
    }
}
