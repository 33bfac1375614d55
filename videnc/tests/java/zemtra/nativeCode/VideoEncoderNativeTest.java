package zemtra.nativeCode;

import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertTrue;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.util.ArrayList;
import java.util.List;
import org.junit.After;
import org.junit.Test;

public class VideoEncoderNativeTest {
    private final VideoEncoderNative video = new VideoEncoderNative();
    private final List<Integer> encoders = new ArrayList<>();

    @After
    public void freeSlots() {
        for (int encoder : encoders) video.deleteEncoder(encoder);
    }

    private int encoder(int width, int height) {
        int slot = video.newEncoder(width, height);
        assertTrue(slot >= 0);
        encoders.add(slot);
        return slot;
    }

    private static byte[] flat(int width, int height, int luma) {
        byte[] frame = new byte[width * height * 3 / 2];
        for (int i = 0; i < frame.length; i++) frame[i] = (byte) (i < width * height ? luma : 128);
        return frame;
    }

    private byte[] packet(int encoder) {
        int bits = video.getPacketBitLength(encoder);
        byte[] out = new byte[(bits + 7) / 8];
        assertTrue(video.getPacketData(out, encoder));
        return out;
    }

    private static String bits(byte[] bytes, int count) {
        StringBuilder s = new StringBuilder();
        for (int k = 0; k < count; k++) s.append((bytes[k / 8] >> (k % 8) & 1) == 1 ? '1' : '0');
        return s.toString();
    }

    private static int quantOf(byte[] packet, int first) {
        int q = 0;
        for (int i = 0; i < 5; i++) q |= (packet[(first + i) / 8] >> ((first + i) % 8) & 1) << i;
        return q;
    }

    @Test
    public void flatGreyAbsolutePacketThenTwoBitDifferenceBlocks() {
        int e = encoder(32, 16);
        byte[] frame = flat(32, 16, 128);
        assertFalse(video.makeRelativePacket(e, frame, 0, 0));
        assertEquals(0, video.getPacketBitLength(e));
        assertTrue(video.makeAbsolutePacket(e, frame, 0, 0));
        String expected = "1" + "00100000" + "01000000" + "10110"
                + "1" + "0000011" + "1" + "000000" + "111111000" + "1" + "0000000" + "0000";
        assertEquals(expected.length(), video.getPacketBitLength(e));
        assertEquals(expected, bits(packet(e), expected.length()));
        assertTrue(video.makeRelativePacket(e, frame, 0, 13));
        StringBuilder relative = new StringBuilder("01" + "10110");
        for (int block = 0; block < 12; block++) relative.append("00");
        assertEquals(relative.toString(), bits(packet(e), video.getPacketBitLength(e)));
    }

    @Test
    public void rateControlStepsFromTheFirstIndex() {
        int e = encoder(64, 48);
        byte[] frame = new byte[64 * 48 * 3 / 2];
        for (int i = 0; i < frame.length; i++) frame[i] = (byte) (i * 7 ^ i / 13);
        assertTrue(video.makeAbsolutePacket(e, frame, 1000, 0));
        assertEquals(13, quantOf(packet(e), 17));
        int first = video.getPacketBitLength(e);
        assertTrue(video.makeRelativePacket(e, frame, (int) Math.round(first / 1.1), 0));
        assertEquals(9, quantOf(packet(e), 2));
        assertEquals(5, video.getAveragedFrames(e));
        video.setAveragedFrames(e, 8);
        assertEquals(8, video.getAveragedFrames(e));
    }

    @Test
    public void badArgumentsGiveFailureValues() {
        int e = encoder(16, 16);
        byte[] frame = flat(16, 16, 60);
        assertEquals(-1, video.newEncoder(24, 16));
        assertEquals(-1, video.newEncoder(16, 2056));
        assertFalse(video.makeAbsolutePacket(-1, frame, 100, 0));
        assertFalse(video.makeAbsolutePacket(10, frame, 100, 0));
        assertFalse(video.makeAbsolutePacket(e, new byte[10], 100, 0));
        assertFalse(video.makeAbsolutePacket(e, frame, 100, 20));
        assertEquals(-1, video.getPacketBitLength(42));
        assertTrue(video.makeAbsolutePacket(e, frame, 100, 5));
        assertFalse(video.getPacketData(new byte[0], e));
        video.setAveragedFrames(e, 0);
        assertEquals(5, video.getAveragedFrames(e));
    }

    @Test
    public void imageDataSourcesFromArraysAndFiles() throws IOException {
        int source = video.newImageDataSource(16, 16);
        assertTrue(source >= 0);
        try {
            video.updateDataYUV22(flat(16, 16, 3), source);
            File file = File.createTempFile("videnc", "7.yuv");
            try (FileOutputStream out = new FileOutputStream(file)) {
                out.write(new byte[16 * 16 * 3 / 2]);
            }
            String name = file.getPath();
            String format = name.substring(0, name.length() - "7.yuv".length()) + "%d.yuv";
            assertTrue(video.updateDataFromFileYUV22(format, 7, source));
            assertFalse(video.updateDataFromFileYUV22(format, 8, source));
            assertFalse(video.updateDataFromFileYUV22(format + "%s", 7, source));
            assertTrue(file.delete());
            int e = encoder(16, 16);
            video.setImageDataSource(source, e);
        } finally {
            video.deleteImageDataSource(source);
        }
    }
}
