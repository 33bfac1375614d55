package zemtra.nativeCode;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertNotSame;
import static org.junit.Assert.assertTrue;

import java.util.List;
import org.junit.Test;

public class JniProbeTest {
    @Test
    public void nativeMethodReturnsItsResult() {
        assertEquals(42, JniProbe.add(40, 2));
        assertEquals(-4, JniProbe.add(-7, 3));
    }

    @Test
    public void callbackArrivesFromANativeThreadThatAttachedAndDetached() {
        long id = 0x123456789AL;
        String text = "caf\u00e9 \ud83d\ude00 \u0000end";
        JniProbe.takeReceived();

        assertTrue(JniProbe.callBackFromThread(id, text, 3));

        List<JniProbe.Received> received = JniProbe.takeReceived();
        assertEquals(3, received.size());
        for (int i = 0; i < received.size(); i++) {
            JniProbe.Received r = received.get(i);
            assertEquals(id + i, r.id);
            assertEquals(text, r.text);
            assertNotSame(Thread.currentThread(), r.thread);
            assertFalse("detached after the callback", r.thread.isAlive());
        }
        // Each round attached anew: a thread that stayed attached would be reused.
        assertNotSame(received.get(0).thread, received.get(1).thread);
    }
}
